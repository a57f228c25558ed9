#pragma once

#include "playlist.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Beside each list file an import keeps the whole playlist it came from, as
// UTF-8 M3U8 ("dianshibiao.m3u8" beside "dianshibiao.ini"), so that what the
// list file cannot hold (group, logo, tvg-id, tvg-name, tvg-shift, the radio
// mark) survives a restart.

// The companion of a list file: its path with ".ini" (or whatever follows
// the last dot of the file name) replaced by ".m3u8".
QString companionFilePath(const QString &listFilePath);

// The companion's entries, one per list-file entry, when they belong to that
// list file: the same URLs in the same order. Otherwise (the list file was
// replaced since, for example by a download) nothing: stale extras are never
// attached to another entry. Names are the list file's business; take only
// the extras from the result.
std::optional<QList<PlaylistEntry>> companionExtras(const QStringList &listUrls,
                                                    const QList<PlaylistEntry> &companion);

// The same, read from a companion file; nothing when it is missing or unreadable.
std::optional<QList<PlaylistEntry>> readCompanionExtras(const QString &companionPath, const QStringList &listUrls);

// Writes an imported directory: first the list file, then its companion,
// each through `write` (which replaces one file atomically and says whether
// it did; by default writeFileAtomically). When the list file cannot be
// written nothing changes and the result is false. When only the companion
// fails the old companion is removed, so it cannot lend its extras to the new
// list; the result is still true, because the directory itself was stored.
using FileWriter = std::function<bool(const QString &path, const QByteArray &content)>;
bool writeImportedDirectory(const QString &listFilePath, const Playlist &playlist, const FileWriter &write = {});

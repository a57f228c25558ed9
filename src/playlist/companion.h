#pragma once

#include "playlist.h"

#include <QString>

// Beside each list file an import keeps the whole playlist it came from, as
// UTF-8 M3U8 ("dianshibiao.m3u8" beside "dianshibiao.ini"), so that what the
// list file cannot hold (group, logo, tvg-id, tvg-name, tvg-shift, the radio
// mark, the guide URL) survives a restart. It belongs to the list file only
// while both hold the same URLs in the same order: a list file replaced
// since (by a download, say) makes it stale, and its extras are then dropped,
// never attached to another entry.

// The companion of a list file: its path with ".ini" (or whatever follows
// the last dot of the file name) replaced by ".m3u8".
QString companionFilePath(const QString &listFilePath);

// Writes an imported directory: its list file now and, beside it, its
// companion afterwards. The list file's bytes go to disk a few megabytes at a
// time on a thread of their own while the next bytes are made, and the file
// is synced before it replaces the old one; when it cannot be written nothing
// changes and the result is false. Once it is in place the result is true,
// and the companion, which is only read at the next start, is written on the
// companion thread: the old one is removed, the new one synced and then put
// in place. Should that fail there is no companion. `entries` is read there
// after the return, so it must own what it reads (or be waited for with
// waitForCompanionFiles()).
bool writeImportedDirectory(const QString &listFilePath, const PlaylistEntryViews &entries);

// Removes the companion of a list file. A companion write asked for before
// is dropped, and never puts its file in place after the removal.
void removeCompanionFile(const QString &listFilePath);

// Returns once every companion write asked for is finished or dropped; the
// program calls it before it ends.
void waitForCompanionFiles();

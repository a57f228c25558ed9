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

// Writes an imported directory: its list file and, beside it, its
// companion. Their bytes go to disk a few megabytes at a time on a thread of
// their own while the next bytes are made, and each file is synced before it
// replaces the old one. The list file is put in place first, the companion
// after it. When the list file cannot be written nothing changes and the
// result is false. When only the companion fails the old companion is
// removed, so it cannot lend its extras to the new list; the result is still
// true, because the directory itself was stored.
bool writeImportedDirectory(const QString &listFilePath, const PlaylistEntryViews &entries);

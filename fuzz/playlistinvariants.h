// What every playlist read from any bytes must satisfy, shared by the M3U
// and PLS fuzz targets. Any breach aborts.
#pragma once

#include "playlist/listfile.h"
#include "playlist/playlist.h"
#include "playlist/urlheaders.h"

#include <cstdlib>

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

inline bool hasLineBreak(const QString &text) { return text.contains(u'\r') || text.contains(u'\n'); }

inline void checkPlaylist(const Playlist &playlist)
{
    require(playlist.entries.size() <= MaxPlaylistEntries);
    for (const PlaylistEntry &entry : playlist.entries) {
        require(!entry.name.isEmpty() && entry.name.size() <= MaxPlaylistNameLength);
        require(entry.url.contains(QLatin1String("://")));
        require(!entry.logo.startsWith(QLatin1String("data:"), Qt::CaseInsensitive));
        for (const QString *field : {&entry.name, &entry.url, &entry.group, &entry.logo, &entry.tvgId, &entry.tvgName,
                                     &entry.tvgShift})
            require(!hasLineBreak(*field));
        // The URL is in its canonical form.
        const UrlWithHeaders split = splitUrlHeaders(entry.url);
        require(joinUrlHeaders(split.url, split.headers) == entry.url);
        // Names and URLs survive the list file.
        require(decodeListFileText(encodeListFileText(entry.name)) == entry.name);
        require(decodeListFileText(encodeListFileText(entry.url)) == entry.url);
    }
    // Importing the export gives back the same playlist.
    const Playlist again = parseM3u(QString::fromUtf8(exportM3u8(playlist)));
    require(again.entries == playlist.entries);
    require(again.guideUrl == playlist.guideUrl);
}

// The reading of an import (the bytes straight to entries) gives what the
// decoded text gives to the M3U or the PLS reader, whichever the bytes ask
// for; and its result satisfies checkPlaylist.
inline void checkImportReading(const QByteArray &bytes, const QUrl &base)
{
    const Playlist read = parsePlaylist(bytes, base);
    checkPlaylist(read);
    const QString text = decodePlaylistText(bytes);
    const auto same = [&read](const Playlist &other) {
        return read.entries == other.entries && read.guideUrl == other.guideUrl;
    };
    require(same(parseM3u(text, base)) || same(parsePls(text, base)));
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// One channel of a playlist. The URL carries the entry's request headers in
// its "|" suffix (see urlheaders.h), in the canonical form.
struct PlaylistEntry
{
    QString name;
    QString url;
    QString group;   // group-title, or #EXTGRP
    QString logo;    // tvg-logo; never a data: URL
    QString tvgId;
    QString tvgName;
    QString tvgShift;
    bool radio = false; // radio="true"

    bool operator==(const PlaylistEntry &other) const;
    bool operator!=(const PlaylistEntry &other) const { return !(*this == other); }
};
Q_DECLARE_TYPEINFO(PlaylistEntry, Q_RELOCATABLE_TYPE);

struct Playlist
{
    QList<PlaylistEntry> entries;
    QString guideUrl; // url-tvg or x-tvg-url of the #EXTM3U line
};

// Limits that keep hostile input cheap. Longer URL lines and attribute values
// are skipped, longer names are cut, and entries past the last are not read.
inline constexpr qsizetype MaxPlaylistUrlLength = 32 * 1024;
inline constexpr qsizetype MaxPlaylistNameLength = 1000;
inline constexpr qsizetype MaxPlaylistEntries = 500000;

// The text of a playlist file: a byte-order mark decides (UTF-8, UTF-16,
// UTF-32, GB18030); without one, valid UTF-8 is UTF-8 and anything else is
// GB18030 (which reads GBK and GB2312 unchanged). Never fails.
QString decodePlaylistText(const QByteArray &bytes);

// M3U and M3U8. `base` is the playlist's own address: relative URLs resolve
// against it. Lines that are neither tags nor URLs are skipped.
Playlist parseM3u(const QString &text, const QUrl &base = {});
// PLS: FileN and TitleN of the [playlist] section in the order of N.
Playlist parsePls(const QString &text, const QUrl &base = {});

// Decodes the bytes and reads them as PLS when their first line is
// "[playlist]" (or, when the first line does not say, the source's name ends
// in ".pls"), as M3U otherwise.
Playlist parsePlaylist(const QByteArray &bytes, const QUrl &source = {});

// UTF-8 M3U8: "#EXTM3U", then per entry "#EXTINF:-1" with the entry's kept
// attributes and its name, "#EXTVLCOPT" lines for its User-Agent and Referer,
// and its URL (other headers stay in the URL's "|" suffix). Reading the
// result back gives the same entries.
QByteArray exportM3u8(const Playlist &playlist);

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <functional>

struct PlaylistEntryView;

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

    PlaylistEntryView view() const;
    bool operator==(const PlaylistEntry &other) const;
    bool operator!=(const PlaylistEntry &other) const { return !(*this == other); }
};
Q_DECLARE_TYPEINFO(PlaylistEntry, Q_RELOCATABLE_TYPE);

// The same fields as views, for reading and writing entries without a copy
// of each text.
struct PlaylistEntryView
{
    QStringView name;
    QStringView url;
    QStringView group;
    QStringView logo;
    QStringView tvgId;
    QStringView tvgName;
    QStringView tvgShift;
    bool radio = false;
};

struct Playlist
{
    QList<PlaylistEntry> entries;
    QString guideUrl; // url-tvg or x-tvg-url of the #EXTM3U line
};

// Entries to write, seen one at a time: a playlist, or a directory that
// keeps its texts in its own way.
struct PlaylistEntryViews
{
    qsizetype count = 0;
    std::function<PlaylistEntryView(qsizetype i)> at;
    QStringView guideUrl;

    static PlaylistEntryViews of(const Playlist &playlist);
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

// Gets each entry read, in playlist order; its views hold only during the
// call. Returns false when no further entry is wanted.
using PlaylistEntrySink = std::function<bool(const PlaylistEntryView &entry)>;

// Reads the playlist as parsePlaylist() does, handing each entry to the sink
// instead of keeping it; gives the guide URL. Reading hundreds of thousands
// of entries this way allocates next to nothing per entry.
QString readPlaylist(const QByteArray &bytes, const QUrl &source, const PlaylistEntrySink &sink);

// A playlist's text made ready for reading, perhaps in parts that are read
// at the same time on threads of their own: read one after the other, the
// parts give exactly the entries of the whole (the sinks of later parts
// then continue where the earlier ones stopped). Only an M3U text of at
// least kMinimumPartBytes is cut, each part after a URL line.
class PlaylistReading
{
public:
    static constexpr qsizetype kMinimumPartBytes = 1024 * 1024;

    PlaylistReading(const QByteArray &bytes, const QUrl &source, int parts);
    int parts() const { return int(m_cuts.size()) - 1; }
    // Reads one part, as readPlaylist() reads the whole; each part reads at
    // most MaxPlaylistEntries. Gives the guide URL the part names.
    QString read(int part, const PlaylistEntrySink &sink) const;

private:
    QByteArray m_text; // UTF-8
    QUrl m_source;
    bool m_pls = false;
    QList<qsizetype> m_cuts; // part k is m_text[m_cuts[k], m_cuts[k + 1])
};

// Decodes the bytes and reads them as PLS when their first line is
// "[playlist]" (or, when the first line does not say, the source's name ends
// in ".pls"), as M3U otherwise.
Playlist parsePlaylist(const QByteArray &bytes, const QUrl &source = {});

// UTF-8 M3U8: "#EXTM3U", then per entry "#EXTINF:-1" with the entry's kept
// attributes and its name, "#EXTVLCOPT" lines for its User-Agent and Referer,
// and its URL (other headers stay in the URL's "|" suffix). Reading the
// result back gives the same entries.
QByteArray exportM3u8(const PlaylistEntryViews &entries);
QByteArray exportM3u8(const Playlist &playlist);
// The same a piece at a time: the "#EXTM3U" line, then one entry's lines.
class ByteOutput;
void appendM3u8Header(ByteOutput &out, QStringView guideUrl);
void appendM3u8Entry(ByteOutput &out, const PlaylistEntryView &entry);

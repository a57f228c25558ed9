#include "playlist.h"

#include "byteoutput.h"
#include "urlheaders.h"

namespace {

struct Quotes
{
    bool doubleQuote = false;
    bool singleQuote = false;
    bool both() const { return doubleQuote && singleQuote; }
};

Quotes quotesIn(QStringView text)
{
    Quotes quotes;
    for (const QChar ch : text) {
        quotes.doubleQuote |= ch == u'"';
        quotes.singleQuote |= ch == u'\'';
    }
    return quotes;
}

// Every text goes onto one line: a line break would end it early (nothing
// the reader gives back has one), so CR and LF become blanks.

// ` key="value"`, or ` key='value'` when the value holds a double quote. (Of
// the attributes the reader gives back, none holds both kinds; a group from
// #EXTGRP may, and goes back there. Elsewhere the double quotes are dropped.)
// Written in one pass: the quote is put right once the value is seen.
void appendAttribute(ByteOutput &out, QLatin1String key, QStringView value)
{
    out.append(' ');
    out.append(key);
    out.append(QLatin1String("=\""));
    const qsizetype start = out.size();
    if (out.appendUtf8(value).doubleQuote) {
        if (value.contains(u'\'')) {
            out.truncate(start);
            out.appendUtf8(value, true);
        } else {
            out.set(start - 1, '\'');
            out.append('\'');
            return;
        }
    }
    out.append('"');
}

void appendUrl(ByteOutput &out, QStringView address)
{
    if (!address.contains(u'|')) {
        out.appendUtf8(address);
        out.append('\n');
        return;
    }
    const UrlWithHeaders split = splitUrlHeaders(address.toString());
    HttpHeaders others;
    for (const auto &header : split.headers) {
        if (header.first == u"User-Agent")
            out.append(QLatin1String("#EXTVLCOPT:http-user-agent="));
        else if (header.first == u"Referer")
            out.append(QLatin1String("#EXTVLCOPT:http-referrer="));
        else {
            others.append(header);
            continue;
        }
        out.appendUtf8(header.second);
        out.append('\n');
    }
    out.appendUtf8(joinUrlHeaders(split.url, others));
    out.append('\n');
}

} // namespace

void appendM3u8Entry(ByteOutput &out, const PlaylistEntryView &entry)
{
    const bool groupAsTag = quotesIn(entry.group).both();
    out.append(QLatin1String("#EXTINF:-1"));
    const std::pair<QLatin1String, QStringView> attributes[] = {
        {QLatin1String("tvg-id"), entry.tvgId},
        {QLatin1String("tvg-name"), entry.tvgName},
        {QLatin1String("tvg-logo"), entry.logo},
        {QLatin1String("group-title"), groupAsTag ? QStringView() : entry.group},
        {QLatin1String("tvg-shift"), entry.tvgShift},
    };
    for (const auto &[key, value] : attributes) {
        if (!value.isEmpty())
            appendAttribute(out, key, value);
    }
    if (entry.radio)
        out.append(QLatin1String(" radio=\"true\""));
    out.append(',');
    out.appendUtf8(entry.name);
    out.append('\n');
    if (groupAsTag) {
        out.append(QLatin1String("#EXTGRP:"));
        out.appendUtf8(entry.group);
        out.append('\n');
    }
    appendUrl(out, entry.url);
}

PlaylistEntryViews PlaylistEntryViews::of(const Playlist &playlist)
{
    return {playlist.entries.size(), [&playlist](qsizetype i) { return playlist.entries.at(i).view(); },
            playlist.guideUrl};
}

void appendM3u8Header(ByteOutput &out, QStringView guideUrl)
{
    out.append(QLatin1String("#EXTM3U"));
    if (!guideUrl.isEmpty())
        appendAttribute(out, QLatin1String("url-tvg"), guideUrl);
    out.append('\n');
}

QByteArray exportM3u8(const PlaylistEntryViews &entries)
{
    // Most texts are ASCII: a guess of their size plus the tags is usually
    // enough room.
    ByteOutput out(entries.count * 160 + 64);
    appendM3u8Header(out, entries.guideUrl);
    for (qsizetype i = 0; i < entries.count; ++i)
        appendM3u8Entry(out, entries.at(i));
    return out.take();
}

QByteArray exportM3u8(const Playlist &playlist)
{
    return exportM3u8(PlaylistEntryViews::of(playlist));
}

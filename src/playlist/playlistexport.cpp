#include "playlist.h"

#include "urlheaders.h"

namespace {

// Appends the text; a line break would end the line early (nothing the
// reader gives back has one), so CR and LF become blanks.
void appendOneLine(QString &out, const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n')) {
        out += text;
        return;
    }
    QString line = text;
    out += line.replace(u'\r', u' ').replace(u'\n', u' ');
}

// ` key="value"`, or ` key='value'` when the value holds a double quote. (Of
// the attributes the reader gives back, none holds both kinds; a group from
// #EXTGRP may, and goes back there. Elsewhere the double quotes are dropped.)
void appendAttribute(QString &out, QLatin1String key, const QString &value)
{
    const bool hasDoubleQuote = value.contains(u'"');
    const bool hasSingleQuote = hasDoubleQuote && value.contains(u'\'');
    const QChar quote = hasDoubleQuote && !hasSingleQuote ? u'\'' : u'"';
    out += u' ';
    out += key;
    out += u'=';
    out += quote;
    appendOneLine(out, hasSingleQuote ? QString(value).remove(u'"') : value);
    out += quote;
}

bool hasBothQuotes(const QString &value) { return value.contains(u'"') && value.contains(u'\''); }

void appendUrl(QString &out, const QString &address)
{
    if (!address.contains(u'|')) {
        appendOneLine(out, address);
        out += u'\n';
        return;
    }
    const UrlWithHeaders split = splitUrlHeaders(address);
    HttpHeaders others;
    for (const auto &header : split.headers) {
        if (header.first == u"User-Agent")
            out += QLatin1String("#EXTVLCOPT:http-user-agent=") + header.second + u'\n';
        else if (header.first == u"Referer")
            out += QLatin1String("#EXTVLCOPT:http-referrer=") + header.second + u'\n';
        else
            others.append(header);
    }
    appendOneLine(out, joinUrlHeaders(split.url, others));
    out += u'\n';
}

} // namespace

QByteArray exportM3u8(const Playlist &playlist)
{
    QString text = QStringLiteral("#EXTM3U");
    if (!playlist.guideUrl.isEmpty())
        appendAttribute(text, QLatin1String("url-tvg"), playlist.guideUrl);
    text += u'\n';
    qsizetype size = text.size();
    for (const PlaylistEntry &e : playlist.entries)
        size += 80 + e.name.size() + e.url.size() + e.group.size() + e.logo.size() + e.tvgId.size() + e.tvgName.size();
    text.reserve(size);

    for (const PlaylistEntry &entry : playlist.entries) {
        const bool groupAsTag = hasBothQuotes(entry.group);
        text += QLatin1String("#EXTINF:-1");
        const std::pair<QLatin1String, const QString *> attributes[] = {
            {QLatin1String("tvg-id"), &entry.tvgId},
            {QLatin1String("tvg-name"), &entry.tvgName},
            {QLatin1String("tvg-logo"), &entry.logo},
            {QLatin1String("group-title"), groupAsTag ? nullptr : &entry.group},
            {QLatin1String("tvg-shift"), &entry.tvgShift},
        };
        for (const auto &[key, value] : attributes) {
            if (value && !value->isEmpty())
                appendAttribute(text, key, *value);
        }
        if (entry.radio)
            text += QLatin1String(" radio=\"true\"");
        text += u',';
        appendOneLine(text, entry.name);
        text += u'\n';
        if (groupAsTag) {
            text += QLatin1String("#EXTGRP:");
            appendOneLine(text, entry.group);
            text += u'\n';
        }
        appendUrl(text, entry.url);
    }
    return text.toUtf8();
}

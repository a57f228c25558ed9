#include "playlist.h"

#include "urlheaders.h"

namespace {

// A line break would end the line early; nothing the reader gives back has one.
QString oneLine(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

bool hasBothQuotes(const QString &value) { return value.contains(u'"') && value.contains(u'\''); }

// key="value", or key='value' when the value holds a double quote. (Of the
// attributes the reader gives back, none holds both kinds; a group from
// #EXTGRP may, and goes back there. Elsewhere the double quotes are dropped.)
QString attribute(const char *key, QString value)
{
    value = oneLine(value);
    QChar quote = u'"';
    if (value.contains(u'"')) {
        if (value.contains(u'\''))
            value.remove(u'"');
        else
            quote = u'\'';
    }
    return QStringLiteral(" %1=%2%3%2").arg(QLatin1String(key), quote, value);
}

} // namespace

QByteArray exportM3u8(const Playlist &playlist)
{
    QString text = QStringLiteral("#EXTM3U");
    if (!playlist.guideUrl.isEmpty())
        text += attribute("url-tvg", playlist.guideUrl);
    text += u'\n';
    for (const PlaylistEntry &entry : playlist.entries) {
        text += QStringLiteral("#EXTINF:-1");
        const bool groupAsTag = hasBothQuotes(entry.group);
        const QString noGroup;
        const std::pair<const char *, const QString *> attributes[] = {
            {"tvg-id", &entry.tvgId},
            {"tvg-name", &entry.tvgName},
            {"tvg-logo", &entry.logo},
            {"group-title", groupAsTag ? &noGroup : &entry.group},
            {"tvg-shift", &entry.tvgShift},
        };
        for (const auto &[key, value] : attributes) {
            if (!value->isEmpty())
                text += attribute(key, *value);
        }
        if (entry.radio)
            text += QStringLiteral(" radio=\"true\"");
        text += u',' + oneLine(entry.name) + u'\n';
        if (groupAsTag)
            text += QStringLiteral("#EXTGRP:") + oneLine(entry.group) + u'\n';

        UrlWithHeaders address = splitUrlHeaders(entry.url);
        const QString userAgent = headerValue(address.headers, QStringLiteral("User-Agent"));
        const QString referer = headerValue(address.headers, QStringLiteral("Referer"));
        if (!userAgent.isEmpty())
            text += QStringLiteral("#EXTVLCOPT:http-user-agent=") + userAgent + u'\n';
        if (!referer.isEmpty())
            text += QStringLiteral("#EXTVLCOPT:http-referrer=") + referer + u'\n';
        HttpHeaders others;
        for (const auto &header : address.headers) {
            if (header.first != u"User-Agent" && header.first != u"Referer")
                others.append(header);
        }
        text += oneLine(joinUrlHeaders(address.url, others)) + u'\n';
    }
    return text.toUtf8();
}

#include "streamurl.h"

#include <QUrl>

namespace streamurl {
namespace {

const char *const kStreamSchemes[] = {"rtmp", "rtmps", "rtsp", "rtp", "udp", "mms", "mmsh", "srt"};
const char *const kStreamExtensions[] = {"m3u8", "m3u", "pls", "ts",  "flv", "mp3",
                                         "aac",  "ogg", "opus", "mp4", "mkv", "mpd"};

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(const QByteArray &name)
{
    if (name.isEmpty())
        return false;
    for (char c : name) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// Parses "name=value&name=value"; false at the first item that is not a header.
bool parseHeaders(const QString &text, QList<Header> *headers)
{
    if (text.size() > MaxHeaderTextLength)
        return false;
    const QByteArray bytes = text.toUtf8();
    for (const QByteArray &item : bytes.split('&')) {
        if (item.trimmed().isEmpty())
            continue;
        const qsizetype equals = item.indexOf('=');
        if (equals < 0)
            return false;
        const QByteArray name = item.left(equals).trimmed();
        const QByteArray value = QByteArray::fromPercentEncoding(item.mid(equals + 1)).trimmed();
        if (!isToken(name) || value.contains('\r') || value.contains('\n') || value.contains('\0'))
            return false;
        headers->append({name, value});
    }
    return true;
}

QString pathExtension(const QUrl &url)
{
    const QString path = url.path();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash)
        return {};
    return path.mid(dot + 1).toLower();
}

bool isStreamUrl(const QString &text)
{
    const QUrl url(text);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    for (const char *s : kStreamSchemes) {
        if (scheme == QLatin1String(s))
            return true;
    }
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QString extension = pathExtension(url);
    for (const char *e : kStreamExtensions) {
        if (extension == QLatin1String(e))
            return true;
    }
    return false;
}

} // namespace

StreamAddress parse(const QString &text)
{
    StreamAddress address;
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    address.url = (bar < 0 ? text : text.left(bar)).trimmed();
    if (bar >= 0)
        address.headersValid = parseHeaders(text.mid(bar + 1), &address.headers);
    if (!address.headersValid)
        address.headers.clear();
    return address;
}

bool isStream(const QString &text)
{
    const StreamAddress address = parse(text);
    if (address.url.isEmpty())
        return false;
    return isStreamUrl(address.url) || (address.headersValid && !address.headers.isEmpty());
}

bool isBlank(const QString &text)
{
    return text.trimmed().compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0;
}

} // namespace streamurl

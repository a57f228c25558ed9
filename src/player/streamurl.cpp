#include "streamurl.h"

#include <QUrl>

namespace streamurl {
namespace {

const char *const kStreamSchemes[] = {"rtmp", "rtmps", "rtsp", "rtp", "udp", "mms", "mmsh", "srt"};
const char *const kStreamExtensions[] = {"m3u8", "m3u", "pls", "ts",  "flv", "mp3",
                                         "aac",  "ogg", "opus", "mp4", "mkv", "mpd"};

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
    const UrlWithHeaders split = splitUrlHeaders(text);
    StreamAddress address{split.url.trimmed(), split.headers, true};
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return address;
    const QString suffix = text.mid(bar + 1);
    const bool nothingWritten = QString(suffix).remove(QLatin1Char('&')).trimmed().isEmpty();
    address.headersValid = suffix.size() <= MaxHeaderTextLength && (!address.headers.isEmpty() || nothingWritten);
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

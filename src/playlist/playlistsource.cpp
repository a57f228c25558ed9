#include "playlistsource.h"

#include "account/fetch.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

const char *const PlaylistUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36";

namespace {

using Failure = PlaylistSource::Failure;

PlaylistBytes failed(Failure failure)
{
    PlaylistBytes result;
    result.failure = failure;
    return result;
}

PlaylistBytes loadFile(const QString &path)
{
    const QFileInfo info(path);
    // A pipe or a device could block or never end.
    if (!info.isFile())
        return failed(Failure::Missing);
    if (info.size() > MaxPlaylistFileBytes)
        return failed(Failure::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(Failure::Unreadable);
    QByteArray bytes = file.read(MaxPlaylistFileBytes + 1);
    if (bytes.size() > MaxPlaylistFileBytes)
        return failed(Failure::TooLarge); // it grew while we looked
    if (file.error() != QFileDevice::NoError)
        return failed(Failure::Unreadable);
    return {std::move(bytes), QUrl::fromLocalFile(info.absoluteFilePath())};
}

PlaylistBytes loadUrl(const QUrl &url)
{
    FetchSettings settings = fetchSettings();
    settings.userAgent = PlaylistUserAgent;
    std::optional<QByteArray> body = FetchUrlBytes(url.toString(), settings);
    if (!body || body->isEmpty())
        return failed(Failure::FetchFailed);
    return {std::move(*body), url};
}

} // namespace

PlaylistBytes loadPlaylistBytes(const QString &fileOrUrl)
{
    const QString text = fileOrUrl.trimmed();
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return loadUrl(url);
    if (scheme == u"file")
        return loadFile(url.toLocalFile());
    return loadFile(text);
}

PlaylistSource loadPlaylist(const QString &fileOrUrl)
{
    const PlaylistBytes loaded = loadPlaylistBytes(fileOrUrl);
    PlaylistSource result;
    result.failure = loaded.failure;
    if (loaded.failure != Failure::None)
        return result;
    result.playlist = parsePlaylist(loaded.bytes, loaded.source);
    if (result.playlist.entries.isEmpty())
        result.failure = Failure::NoEntries;
    return result;
}

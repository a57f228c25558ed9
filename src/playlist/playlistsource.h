#pragma once

#include "playlist.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// A playlist read from where the user points: a file, a file: URL or an
// http(s) URL.
struct PlaylistSource
{
    enum class Failure {
        None,
        Missing,  // no such file, or not a regular file
        TooLarge, // over MaxPlaylistFileBytes
        Unreadable,
        FetchFailed, // refused, timed out, redirected for ever, too large, empty
        NoEntries,   // read, but nothing in it is a channel
    };

    Playlist playlist;
    Failure failure = Failure::None;
};

// The bytes of a playlist before they are read, and its own address, which
// relative URLs in it resolve against.
struct PlaylistBytes
{
    QByteArray bytes;
    QUrl source;
    PlaylistSource::Failure failure = PlaylistSource::Failure::None; // never NoEntries
};

// Files larger than this are refused whole; a URL import is capped by the
// service fetch's own limit.
inline constexpr qint64 MaxPlaylistFileBytes = 64 * 1024 * 1024;

// What a URL import sends as User-Agent: playlist hosts often refuse
// requests that do not look like a browser's.
extern const char *const PlaylistUserAgent;

// Reads the playlist. A URL is fetched with the service fetch's time-out and
// size cap (and its redirect limit) and the User-Agent above; relative URLs
// in it resolve against the address asked for. Waits like any fetch: the
// event loop runs meanwhile.
PlaylistSource loadPlaylist(const QString &fileOrUrl);
// The same up to the reading: the bytes as they came.
PlaylistBytes loadPlaylistBytes(const QString &fileOrUrl);

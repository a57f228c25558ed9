#pragma once

#include <QString>
#include <QStringList>

// Why a stream did not play, in words a viewer understands.
enum class Failure {
    None,
    HostNotFound,
    Refused,
    Forbidden,    // HTTP 401 or 403
    NotFound,     // HTTP 404 or 410
    HttpStatus,   // any other HTTP error status
    TimedOut,
    Unsupported,  // the content is no format the engine plays
    NotAStream,   // a web page or other text where a playlist was expected
    Dropped,      // the stream ended or broke off while it played
    PlaylistLoop, // a playlist leads back to itself, or nests too deep
    BadHeaders,   // the part after "|" is not a header list
    NoSound,      // a stream of sound only, and no sound device to play it
    NoEngine,     // the playback engine could not be started
    Other,
};

struct FailureInfo
{
    Failure kind = Failure::None;
    int httpStatus = 0; // with Forbidden, NotFound and HttpStatus

    bool operator==(const FailureInfo &other) const
    {
        return kind == other.kind && httpStatus == other.httpStatus;
    }
};

// How the engine ended a load that was not stopped on purpose.
enum class LoadEnd {
    Finished,      // the stream's end was reached
    Failed,        // it could not be opened or read
    UnknownFormat, // it was read, but no demuxer recognised it
    NoSound,       // it had only sound, and the sound device could not be opened
};

// Reads the engine's warning and error lines of the load to name the cause.
FailureInfo classifyFailure(LoadEnd end, const QStringList &log);

// "服务器拒绝连接", "服务器拒绝访问（403）", ...
QString failureText(const FailureInfo &failure);

// Whether trying the same address again a moment later may help.
bool isTransient(const FailureInfo &failure);

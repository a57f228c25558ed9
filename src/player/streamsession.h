#pragma once

#include "failure.h"

#include <QString>

enum class PlayState { Idle, Connecting, Buffering, Playing, Retrying, Failed, Ended };

// What the player shows of one stream.
struct PlayerStatus
{
    PlayState state = PlayState::Idle;
    int bufferPercent = 0;  // Buffering
    FailureInfo failure;    // Retrying, Failed
    int attempt = 0;        // retries made so far (the one now running counts)
    int maxAttempts = 0;
    int retryInMs = 0;      // Retrying: the pause before the next attempt
};

// The state line's text: "正在连接…", "正在缓冲 45%", "正在播放", ...
QString statusText(const PlayerStatus &status);

struct RetryPolicy
{
    int attempts = 3;            // retries after the first try
    int firstPauseMs = 1000;     // doubled for every further retry
    int steadyMs = 30000;        // playing this long earns all retries back
};

// The life of one stream from its first connection to its end: the state it
// is in and whether a failure is to be retried. It knows nothing of the
// engine; the player feeds it what the engine reports. Times are in
// milliseconds on any steadily rising clock.
class StreamSession
{
public:
    explicit StreamSession(const RetryPolicy &policy = {});

    void start();        // a new stream: Connecting, no retries made
    void stop();         // Idle
    void retryStarted(); // the pause is over: Connecting again
    // Whether the stream is known to be live (no end, no seeking): only live
    // streams are retried once they have played.
    void loaded(bool live);
    void playbackStarted(qint64 nowMs);
    void bufferingChanged(bool waiting, int percent);

    // The stream ended or failed. Returns the pause before the next attempt,
    // or -1 when there is none (the status is then Failed or Ended).
    int ended(LoadEnd end, const FailureInfo &failure, qint64 nowMs);
    int failed(const FailureInfo &failure, qint64 nowMs);

    const PlayerStatus &status() const { return m_status; }
    bool isActive() const;

private:
    int retryOrFail(const FailureInfo &failure, qint64 nowMs);

    RetryPolicy m_policy;
    PlayerStatus m_status;
    bool m_live = true; // unknown counts as live until the stream says otherwise
    bool m_waiting = false;
    qint64 m_playingSinceMs = -1;
};

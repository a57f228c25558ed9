#include "streamsession.h"

#include <QtGlobal>

QString statusText(const PlayerStatus &status)
{
    const QString tries = QStringLiteral("（第 %1/%2 次重试）").arg(status.attempt).arg(status.maxAttempts);
    switch (status.state) {
    case PlayState::Idle:
        return {};
    case PlayState::Connecting:
        return status.attempt > 0 ? QStringLiteral("正在重新连接…") + tries : QStringLiteral("正在连接…");
    case PlayState::Buffering:
        return QStringLiteral("正在缓冲 %1%").arg(status.bufferPercent);
    case PlayState::Playing:
        return QStringLiteral("正在播放");
    case PlayState::Retrying:
        return QStringLiteral("%1，%2 秒后重试（第 %3/%4 次）")
            .arg(failureText(status.failure))
            .arg((status.retryInMs + 999) / 1000)
            .arg(status.attempt + 1)
            .arg(status.maxAttempts);
    case PlayState::Failed:
        if (status.attempt > 0)
            return QStringLiteral("播放失败：%1（已重试 %2 次）").arg(failureText(status.failure)).arg(status.attempt);
        return QStringLiteral("播放失败：%1").arg(failureText(status.failure));
    case PlayState::Ended:
        return QStringLiteral("播放结束");
    }
    return {};
}

StreamSession::StreamSession(const RetryPolicy &policy)
    : m_policy(policy)
{
    m_status.maxAttempts = policy.attempts;
}

void StreamSession::start()
{
    m_status = PlayerStatus{};
    m_status.state = PlayState::Connecting;
    m_status.maxAttempts = m_policy.attempts;
    m_live = true;
    m_waiting = false;
    m_playingSinceMs = -1;
}

void StreamSession::stop()
{
    m_status = PlayerStatus{};
    m_status.maxAttempts = m_policy.attempts;
}

void StreamSession::retryStarted()
{
    if (m_status.state != PlayState::Retrying)
        return;
    ++m_status.attempt;
    m_status.state = PlayState::Connecting;
    m_status.retryInMs = 0;
    m_waiting = false;
    m_playingSinceMs = -1;
}

void StreamSession::loaded(bool live)
{
    if (isActive())
        m_live = live;
}

void StreamSession::playbackStarted(qint64 nowMs)
{
    if (!isActive())
        return;
    if (m_playingSinceMs < 0)
        m_playingSinceMs = nowMs;
    m_status.state = m_waiting ? PlayState::Buffering : PlayState::Playing;
}

void StreamSession::bufferingChanged(bool waiting, int percent)
{
    m_waiting = waiting;
    m_status.bufferPercent = qBound(0, percent, 100);
    // Buffering shows only once playback has begun; before that it is still connecting.
    if (m_status.state == PlayState::Playing && waiting)
        m_status.state = PlayState::Buffering;
    else if (m_status.state == PlayState::Buffering && !waiting)
        m_status.state = PlayState::Playing;
}

int StreamSession::ended(LoadEnd end, const FailureInfo &failure, qint64 nowMs)
{
    if (!isActive())
        return -1;
    if (end == LoadEnd::Finished && !m_live) {
        m_status = PlayerStatus{PlayState::Ended, 0, {}, m_status.attempt, m_policy.attempts, 0};
        return -1;
    }
    return retryOrFail(failure, nowMs);
}

int StreamSession::failed(const FailureInfo &failure, qint64 nowMs)
{
    if (!isActive())
        return -1;
    return retryOrFail(failure, nowMs);
}

int StreamSession::retryOrFail(const FailureInfo &failure, qint64 nowMs)
{
    const bool playedSteadily = m_playingSinceMs >= 0 && nowMs - m_playingSinceMs >= m_policy.steadyMs;
    if (playedSteadily)
        m_status.attempt = 0;
    m_status.failure = failure;
    m_status.bufferPercent = 0;
    m_playingSinceMs = -1;
    if (!m_live || !isTransient(failure) || m_status.attempt >= m_policy.attempts) {
        m_status.state = PlayState::Failed;
        m_status.retryInMs = 0;
        return -1;
    }
    m_status.state = PlayState::Retrying;
    m_status.retryInMs = m_policy.firstPauseMs << qMin(m_status.attempt, 16);
    return m_status.retryInMs;
}

bool StreamSession::isActive() const
{
    return m_status.state == PlayState::Connecting || m_status.state == PlayState::Buffering
        || m_status.state == PlayState::Playing;
}

#pragma once

#include "streamsession.h"
#include "streamurl.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>

class QTimer;
struct mpv_event;
struct mpv_handle;

struct MpvOptions
{
    // "libmpv" renders into a view through the render API; "null" decodes
    // and shows nothing (tests); empty: no picture at all, sound only.
    QByteArray videoOutput = "libmpv";
    QByteArray audioOutput; // empty: the engine's choice of sound device
    // Connecting or buffering this long without progress counts as a time-out.
    int stallTimeoutMs = 12000;
    RetryPolicy retry;
};

// One stream at a time through libmpv. The engine core is made on the first
// play; its events arrive on other threads and are only posted to the thread
// of this object, which reads them there. Every address goes through the
// same core: playing a new one replaces the old one at once.
class MpvPlayer : public QObject
{
    Q_OBJECT
public:
    explicit MpvPlayer(const MpvOptions &options = {}, QObject *parent = nullptr);
    ~MpvPlayer() override;

    // The text is an address with an optional "|" header list.
    void play(const QString &text);
    void stop();

    QString address() const { return m_address; }
    const PlayerStatus &status() const { return m_session.status(); }
    QString stationName() const { return m_stationName; }
    QString nowPlaying() const { return m_nowPlaying; }
    bool hasVideo() const { return m_hasVideo; }
    double position() const { return m_position; }

    // Where the picture goes from now on (see MpvOptions::videoOutput).
    void setVideoOutput(const QByteArray &videoOutput);

    int volume() const { return m_volume; }
    void setVolume(int volume);
    bool isMuted() const { return m_muted; }
    void setMuted(bool muted);

    // The engine core, null until the first play (and when it failed to start).
    mpv_handle *handle() const { return m_mpv; }

Q_SIGNALS:
    void statusChanged();
    void metadataChanged();
    void videoChanged(bool hasVideo);
    void positionChanged(double seconds);
    // The core now exists; a render view may attach to it.
    void coreCreated();
    // The core is about to go: a render view must let go of it now.
    void coreAboutToBeDestroyed();

private:
    bool ensureCore();
    void applyVideoOutput();
    void applyHeaders();
    void load();
    void readEvents();
    void handleEvent(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void checkExpandedPlaylist();
    void finishLoad();
    void fail(const FailureInfo &failure);
    void settle(int retryInMs);
    void onStall();
    void onRetryDue();
    void setStationName(const QString &name);
    void setNowPlaying(const QString &title);
    void setHasVideo(bool hasVideo);
    void changed();
    bool isCurrentEntry(qint64 entryId) const { return entryId >= m_entryId && m_entryId > 0; }

    MpvOptions m_options;
    mpv_handle *m_mpv = nullptr;
    bool m_coreFailed = false;
    std::atomic<bool> m_readQueued{false};

    QString m_address;
    HttpHeaders m_headers;
    StreamSession m_session;
    QElapsedTimer m_clock;
    QTimer *m_stallTimer;
    QTimer *m_retryTimer;

    // The load under way: the engine's playlist entries from m_entryId on are its.
    qint64 m_entryId = 0;
    bool m_started = false;       // the engine began one of its entries
    bool m_idleReached = false;   // the engine went idle after it
    bool m_endPending = false;
    LoadEnd m_end = LoadEnd::Failed;
    QStringList m_log;
    QSet<QString> m_playlistsSeen;
    int m_playlistDepth = 0;

    QString m_stationName;
    QString m_nowPlaying;
    bool m_hasVideo = false;
    double m_position = 0;
    int m_volume = 100;
    bool m_muted = false;
};

#pragma once

#include "guide.h"
#include "guidefetch.h"
#include "xmltvparser.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <functional>

// The program guide of the running program: the cached guide at start, an
// update from the guide source when it is due or asked for, and the answers
// the channel list and the player show.
//
// Reading, fetching and writing the cache happen on a worker thread; a new
// guide arrives on the owner's thread as a shared pointer (no copy) and is
// announced by guideChanged(). The keys of the entries and their digest are
// made on a second worker, so that neither a long read nor hundreds of
// thousands of entries hold up the owner's thread. An update that fails for any reason (no
// answer, too large, cut off, corrupt, not well formed, nothing for our
// channels) keeps the guide there was and reports updateFailed().
class ProgramGuide : public QObject
{
    Q_OBJECT
public:
    ProgramGuide(const QString &dataFolder, const GuideFetchSettings &fetch, QObject *parent = nullptr);
    ~ProgramGuide() override;

    using KeysMaker = std::function<QList<GuideEntryKey>()>;

    // The entries of both directories: which channels to keep from a guide.
    // `makeKeys` runs on a worker thread, so it must own (a copy of) what it
    // reads. The latest call wins: keys made for an older call are dropped.
    // Until the keys are there, an update waits for them, and the keys
    // before stay in use.
    void setEntries(KeysMaker makeKeys);
    void setEntries(const QList<GuideEntryKey> &keys);
    // Whether keys are still being made for the latest setEntries().
    bool takingEntries() const { return m_keysTaken != m_keysWanted; }
    // guideKeysDigest() of the keys in use.
    QByteArray entriesDigest() const { return m_keysDigest; }
    // A web address or a local file of an XMLTV guide, plain or gzip.
    void setSource(const QString &source);
    QString source() const { return m_source; }
    void setLimits(const GuideLimits &limits) { m_limits = limits; }
    // Seconds since 1970 UTC; the system clock unless a test sets another.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // At start: reads the cached guide, then updates it when it is due
    // (see guideUpdateDue()).
    void start();
    // On demand: reads the source again now.
    void update();
    // Reads the source again when it is due (after a change of the source or
    // of the entries, or at the end of the start-up).
    void refresh() { updateIfDue(false); }
    // Also while an update waits for the keys of the entries.
    bool isUpdating() const { return m_updating || m_afterKeys; }

    GuidePointer guide() const { return m_guide; }
    GuideNowNext nowAndNext(const GuideEntryKey &key, const QDateTime &now) const;
    // Today's and tomorrow's programmes (local days of `now`).
    GuideSchedule todayAndTomorrow(const GuideEntryKey &key, const QDateTime &now) const;

Q_SIGNALS:
    void guideChanged();
    // The keys of the latest setEntries() are in use.
    void entriesTaken();
    void updateFailed(const QString &reason);
    void updatingChanged(bool updating);

private:
    void cacheLoaded(const GuidePointer &guide);
    void keysMade(quint64 generation, QList<GuideEntryKey> keys, const QByteArray &digest);
    void updateIfDue(bool requested);
    void updateEnded(const GuidePointer &guide, const QString &error);

    QString m_dataFolder;
    GuideFetchSettings m_fetch;
    GuideLimits m_limits;
    QString m_source;
    QList<GuideEntryKey> m_keys;
    QByteArray m_keysDigest;
    std::atomic<quint64> m_keysWanted{0}; // counts setEntries(); read by the keys' worker
    quint64 m_keysTaken = 0;              // the call whose keys are in use
    std::function<qint64()> m_clock;
    GuidePointer m_guide;
    bool m_updating = false;
    bool m_again = false;
    bool m_againRequested = false;
    bool m_afterKeys = false; // an update waits for the keys
    bool m_afterKeysRequested = false;

    QThread m_thread;
    QObject *m_worker; // lives on m_thread
    std::atomic_bool m_cancel{false};
    QThreadPool m_keysWorker; // one thread
};

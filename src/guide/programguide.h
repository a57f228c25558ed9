#pragma once

#include "guide.h"
#include "guidefetch.h"
#include "xmltvparser.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

// The program guide of the running program: the cached guide at start, an
// update from the guide source when it is due or asked for, and the answers
// the channel list and the player show.
//
// Reading, fetching and writing the cache happen on a worker thread; a new
// guide arrives on the owner's thread as a shared pointer (no copy) and is
// announced by guideChanged(). An update that fails for any reason (no
// answer, too large, cut off, corrupt, not well formed, nothing for our
// channels) keeps the guide there was and reports updateFailed().
class ProgramGuide : public QObject
{
    Q_OBJECT
public:
    ProgramGuide(const QString &dataFolder, const GuideFetchSettings &fetch, QObject *parent = nullptr);
    ~ProgramGuide() override;

    // The entries of both directories: which channels to keep from a guide.
    void setEntries(const QList<GuideEntryKey> &keys);
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
    bool isUpdating() const { return m_updating; }

    GuidePointer guide() const { return m_guide; }
    GuideNowNext nowAndNext(const GuideEntryKey &key, const QDateTime &now) const;
    // Today's and tomorrow's programmes (local days of `now`).
    GuideSchedule todayAndTomorrow(const GuideEntryKey &key, const QDateTime &now) const;

Q_SIGNALS:
    void guideChanged();
    void updateFailed(const QString &reason);
    void updatingChanged(bool updating);

private:
    void cacheLoaded(const GuidePointer &guide);
    void updateIfDue(bool requested);
    void updateEnded(const GuidePointer &guide, const QString &error);

    QString m_dataFolder;
    GuideFetchSettings m_fetch;
    GuideLimits m_limits;
    QString m_source;
    QList<GuideEntryKey> m_keys;
    std::function<qint64()> m_clock;
    GuidePointer m_guide;
    bool m_updating = false;
    bool m_again = false;
    bool m_againRequested = false;

    QThread m_thread;
    QObject *m_worker; // lives on m_thread
    std::atomic_bool m_cancel{false};
};

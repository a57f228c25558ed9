#include "programguide.h"

#include "guidecache.h"
#include "guidefile.h"

#include <QFileInfo>
#include <QTemporaryFile>

namespace {

struct GuideJob
{
    QString source;
    QList<GuideEntryKey> keys;
    QString folder;
    GuideFetchSettings fetch{0};
    GuideLimits limits;
    std::function<qint64()> clock;
};

// Reads the downloaded or local guide, keeps it in the cache, and hands the
// outcome to `done`. Runs on the worker thread.
void readAndKeep(const GuideJob &job, QIODevice *downloaded, const std::atomic_bool *cancel,
                 const std::function<void(GuidePointer, QString)> &done)
{
    const qint64 now = job.clock();
    GuideReadResult result = downloaded
        ? readGuide(*downloaded, job.keys, now, job.source, job.limits, cancel)
        : readGuideFile(localGuidePath(job.source), job.keys, now, job.source, job.limits, cancel);
    // A cache that cannot be written (no data folder, a full disk) only
    // means that the next start reads the source again.
    if (result.guide)
        saveGuideCache(job.folder, *result.guide);
    done(result.guide, result.error);
}

} // namespace

ProgramGuide::ProgramGuide(const QString &dataFolder, const GuideFetchSettings &fetch, QObject *parent)
    : QObject(parent)
    , m_dataFolder(dataFolder)
    , m_fetch(fetch)
    , m_clock([] { return QDateTime::currentSecsSinceEpoch(); })
    , m_keysDigest(guideKeysDigest({}))
    , m_worker(new QObject)
{
    m_keysWorker.setMaxThreadCount(1);
    m_thread.setObjectName(QStringLiteral("program guide"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

ProgramGuide::~ProgramGuide()
{
    ++m_keysWanted; // keys being made are no longer wanted
    m_keysWorker.waitForDone();
    m_cancel = true;
    m_thread.quit();
    m_thread.wait();
}

void ProgramGuide::setEntries(KeysMaker makeKeys)
{
    const quint64 generation = ++m_keysWanted;
    m_keysWorker.start([this, generation, makeKeys = std::move(makeKeys)] {
        if (m_keysWanted != generation)
            return; // newer entries came before these were begun
        QList<GuideEntryKey> keys = makeKeys();
        if (m_keysWanted != generation)
            return;
        const QByteArray digest = guideKeysDigest(keys);
        QMetaObject::invokeMethod(
            this,
            [this, generation, keys = std::move(keys), digest]() mutable {
                keysMade(generation, std::move(keys), digest);
            },
            Qt::QueuedConnection);
    });
}

void ProgramGuide::setEntries(const QList<GuideEntryKey> &keys)
{
    setEntries([keys] { return keys; });
}

void ProgramGuide::keysMade(quint64 generation, QList<GuideEntryKey> keys, const QByteArray &digest)
{
    // Hundreds of thousands of keys take a while to free: the worker frees
    // the keys that are not wanted (any more).
    if (generation != m_keysWanted) {
        m_keysWorker.start([stale = std::move(keys)] {}); // newer entries came meanwhile; their keys follow
        return;
    }
    std::swap(m_keys, keys);
    m_keysWorker.start([old = std::move(keys)] {});
    m_keysDigest = digest;
    m_keysTaken = generation;
    Q_EMIT entriesTaken();
    if (m_afterKeys) {
        const bool requested = m_afterKeysRequested;
        m_afterKeys = m_afterKeysRequested = false;
        updateIfDue(requested);
    }
}

void ProgramGuide::setSource(const QString &source) { m_source = source.trimmed(); }

void ProgramGuide::start()
{
    const QString folder = m_dataFolder;
    QMetaObject::invokeMethod(m_worker, [this, folder] {
        const GuidePointer cached = loadGuideCache(folder);
        QMetaObject::invokeMethod(this, [this, cached] { cacheLoaded(cached); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void ProgramGuide::update() { updateIfDue(true); }

void ProgramGuide::cacheLoaded(const GuidePointer &guide)
{
    if (guide && !m_guide) {
        m_guide = guide;
        Q_EMIT guideChanged();
    }
    updateIfDue(false);
}

void ProgramGuide::updateIfDue(bool requested)
{
    if (m_source.isEmpty())
        return;
    // Which channels to read is only known with the keys of the entries.
    if (takingEntries()) {
        m_afterKeys = true;
        m_afterKeysRequested = m_afterKeysRequested || requested;
        return;
    }
    qint64 modified = 0;
    if (!isRemoteGuideSource(m_source)) {
        const QFileInfo file(localGuidePath(m_source));
        modified = file.exists() ? file.lastModified().toSecsSinceEpoch() : 0;
    }
    if (!guideUpdateDue(m_guide.get(), m_source, m_keysDigest, m_clock(), requested, modified))
        return;
    if (m_updating) {
        m_again = true;
        m_againRequested = m_againRequested || requested;
        return;
    }
    m_updating = true;
    Q_EMIT updatingChanged(true);

    GuideJob job{m_source, m_keys, m_dataFolder, m_fetch, m_limits, m_clock};
    const std::atomic_bool *cancel = &m_cancel;
    QObject *worker = m_worker;
    QMetaObject::invokeMethod(m_worker, [this, job, cancel, worker] {
        const auto done = [this](GuidePointer guide, QString error) {
            QMetaObject::invokeMethod(this, [this, guide, error] { updateEnded(guide, error); },
                                      Qt::QueuedConnection);
        };
        if (!isRemoteGuideSource(job.source)) {
            readAndKeep(job, nullptr, cancel, done);
            return;
        }
        auto *download = new GuideDownload(worker);
        QObject::connect(download, &GuideDownload::finished, worker, [job, cancel, done, download](bool ok) {
            if (ok)
                readAndKeep(job, download->file(), cancel, done);
            else
                done(nullptr, download->error());
            download->deleteLater();
        });
        download->start(QUrl(job.source), job.folder, job.fetch);
    }, Qt::QueuedConnection);
}

void ProgramGuide::updateEnded(const GuidePointer &guide, const QString &error)
{
    m_updating = false;
    if (guide) {
        // The old guide may be large: the worker frees it, unless someone still holds it.
        QMetaObject::invokeMethod(m_worker, [old = std::exchange(m_guide, guide)] {}, Qt::QueuedConnection);
        Q_EMIT guideChanged();
    } else {
        Q_EMIT updateFailed(error);
    }
    Q_EMIT updatingChanged(false);
    if (m_again) {
        const bool requested = m_againRequested;
        m_again = m_againRequested = false;
        updateIfDue(requested);
    }
}

GuideNowNext ProgramGuide::nowAndNext(const GuideEntryKey &key, const QDateTime &now) const
{
    return m_guide ? m_guide->nowAndNext(key, now) : GuideNowNext();
}

GuideSchedule ProgramGuide::todayAndTomorrow(const GuideEntryKey &key, const QDateTime &now) const
{
    return m_guide ? m_guide->schedule(key, now.toLocalTime().date(), 2, now) : GuideSchedule();
}

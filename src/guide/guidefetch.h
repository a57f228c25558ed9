#pragma once

#include "guide.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

struct GuideFetchSettings
{
    explicit GuideFetchSettings(int idleTimeout)
        : idleTimeoutMs(idleTimeout)
    {
    }
    // Give up after this long without progress. The program passes the
    // service fetch's time-out (fetchSettings().idleTimeoutMs), so that both
    // fetches give up alike.
    int idleTimeoutMs;
    // A guide larger than this is refused; it never reaches memory, only a
    // temporary file.
    qint64 maxBytes = qint64(512) * 1024 * 1024;
    int maxRedirects = 10;
};

// How old a cached guide may grow before it is fetched again at start.
constexpr qint64 kGuideMaxAgeSeconds = 12 * 3600;

// Whether the guide should be read again from `source` now: on request;
// without a cached guide; when the cache came from another source, was read
// for other channels, is 12 hours old or more, or is dated more than an hour
// ahead (the clock was put back); and for a local file, when the file is
// newer than the cache (`sourceModified`, 0 for a URL). Never without a source.
bool guideUpdateDue(const Guide *cached, const QString &source, const QByteArray &keysDigest, qint64 now,
                    bool requested, qint64 sourceModified = 0);

// Whether a guide source names a web address (fetched) rather than a file.
bool isRemoteGuideSource(const QString &source);
// The local file a source names ("file:///…" or a path).
QString localGuidePath(const QString &source);

// One download of a guide into a temporary file in a given folder. Runs on
// the event loop of the thread it lives in; emits finished() once.
class GuideDownload : public QObject
{
    Q_OBJECT
public:
    explicit GuideDownload(QObject *parent = nullptr);
    ~GuideDownload() override;

    // The temporary file goes into `folder`, or the system's temporary
    // folder when it is empty. Download files there older than a day, left
    // by a run that ended in the middle of one, are removed first.
    void start(const QUrl &url, const QString &folder, const GuideFetchSettings &settings);
    // After finished(true): the downloaded guide, open for reading at its
    // start. It is removed when this object goes.
    QTemporaryFile *file() const { return m_file.get(); }
    QString error() const { return m_error; }

Q_SIGNALS:
    void finished(bool ok);

private:
    void received();
    void ended();
    void fail(const QString &reason);

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QTemporaryFile> m_file;
    GuideFetchSettings m_settings{0};
    QTimer m_idle;
    qint64 m_bytes = 0;
    QString m_error;
    bool m_done = false;
};

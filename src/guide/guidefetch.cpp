#include "guidefetch.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>

namespace {

constexpr qint64 kFutureSlack = 3600;
// A download file this old was left by a run that ended in the middle of it.
constexpr qint64 kStaleDownloadSeconds = 86400;
const QString kDownloadPattern = QStringLiteral("jiemuzhinan-*.part");

void removeStaleDownloads(const QDir &folder)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kStaleDownloadSeconds);
    for (const QFileInfo &file : folder.entryInfoList({kDownloadPattern}, QDir::Files)) {
        if (file.lastModified() < before)
            QFile::remove(file.filePath());
    }
}

} // namespace

bool guideUpdateDue(const Guide *cached, const QString &source, const QByteArray &keysDigest, qint64 now,
                    bool requested, qint64 sourceModified)
{
    if (source.trimmed().isEmpty())
        return false;
    if (requested || !cached)
        return true;
    if (cached->source() != source || cached->keysDigest() != keysDigest)
        return true;
    const qint64 age = now - cached->madeAt();
    return age >= kGuideMaxAgeSeconds || age < -kFutureSlack || sourceModified > cached->madeAt();
}

bool isRemoteGuideSource(const QString &source)
{
    const QUrl url(source.trimmed());
    const QString scheme = url.scheme().toLower();
    return (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

QString localGuidePath(const QString &source)
{
    const QString trimmed = source.trimmed();
    const QUrl url(trimmed);
    return url.isLocalFile() ? url.toLocalFile() : trimmed;
}

GuideDownload::GuideDownload(QObject *parent)
    : QObject(parent)
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("no answer for %1 ms").arg(m_settings.idleTimeoutMs)); });
}

GuideDownload::~GuideDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

void GuideDownload::start(const QUrl &url, const QString &folder, const GuideFetchSettings &settings)
{
    m_settings = settings;
    const QDir into(folder.isEmpty() ? QDir::tempPath() : folder);
    removeStaleDownloads(into);
    QString name = kDownloadPattern;
    name.replace(QLatin1Char('*'), QStringLiteral("XXXXXX"));
    m_file = std::make_unique<QTemporaryFile>(into.filePath(name));
    if (!m_file->open()) {
        // Reported from the event loop, like every other outcome.
        QTimer::singleShot(0, this, [this] { fail(QStringLiteral("no temporary file in the data folder")); });
        return;
    }
    m_manager = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(settings.maxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &GuideDownload::received);
    connect(m_reply, &QNetworkReply::finished, this, &GuideDownload::ended);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        m_idle.start();
        const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (declared > m_settings.maxBytes)
            fail(QStringLiteral("the guide is larger than %1 bytes").arg(m_settings.maxBytes));
    });
    m_idle.start(settings.idleTimeoutMs);
}

void GuideDownload::received()
{
    if (m_done || !m_reply)
        return;
    m_idle.start();
    while (m_reply->bytesAvailable() > 0) {
        const QByteArray piece = m_reply->read(256 * 1024);
        m_bytes += piece.size();
        if (m_bytes > m_settings.maxBytes) {
            fail(QStringLiteral("the guide is larger than %1 bytes").arg(m_settings.maxBytes));
            return;
        }
        if (m_file->write(piece) != piece.size()) {
            fail(QStringLiteral("the guide could not be written: %1").arg(m_file->errorString()));
            return;
        }
    }
}

void GuideDownload::ended()
{
    if (m_done)
        return;
    received();
    if (m_done)
        return;
    // The network stack may report a connection closed in the middle of the
    // body as a finished answer; the declared length tells.
    bool declared = false;
    const qint64 length = m_reply->rawHeader("Content-Length").trimmed().toLongLong(&declared);
    if (declared && !m_reply->hasRawHeader("Content-Encoding") && m_bytes < length) {
        fail(QStringLiteral("the guide was cut off after %1 bytes").arg(m_bytes));
        return;
    }
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        fail(QStringLiteral("the server answered %1").arg(status));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(m_reply->errorString());
        return;
    }
    if (!m_file->flush() || !m_file->seek(0)) {
        fail(QStringLiteral("the guide could not be written: %1").arg(m_file->errorString()));
        return;
    }
    m_done = true;
    m_idle.stop();
    m_reply->deleteLater();
    Q_EMIT finished(true);
}

void GuideDownload::fail(const QString &reason)
{
    if (m_done)
        return;
    m_done = true;
    m_idle.stop();
    m_error = reason;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_file.reset();
    Q_EMIT finished(false);
}

#include "fetch.h"

#include "platform/codepage936.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

namespace {

FetchSettings &currentSettings()
{
    static FetchSettings settings;
    return settings;
}

bool isCodePage936Name(const QString &charset)
{
    static const QStringList names = {
        QStringLiteral("gb2312"),  QStringLiteral("gbk"),        QStringLiteral("cp936"),
        QStringLiteral("x-gbk"),   QStringLiteral("windows-936"), QStringLiteral("ms936"),
        QStringLiteral("csgb2312"), QStringLiteral("gb_2312-80"), QStringLiteral("chinese"),
    };
    return names.contains(charset.trimmed(), Qt::CaseInsensitive);
}

// Errors of the connection itself (refused, timed out, closed early, proxy,
// redirect loop) and of the protocol; HTTP error statuses come back with
// their body and are answers like any other.
bool isTransportError(QNetworkReply::NetworkError error)
{
    const int code = int(error);
    return (code > 0 && code < 200) || (code >= 300 && code < 400);
}

// The code page's decoder drops a lead byte that has no trail byte after it;
// a cut-off last character must not vanish without a trace.
bool endsInLoneLeadByte(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size())
        i += quint8(bytes[i]) >= 0x81 && quint8(bytes[i]) <= 0xFE ? 2 : 1;
    return i > bytes.size();
}

QUrl acceptedUrl(const QUrl &target)
{
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || target.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    return target;
}

struct Answer
{
    QByteArray body;
    int status = 0;
    QUrl location; // the Location header of a redirect, resolved
};

// One request and its answer, or nothing when the exchange failed.
class Exchange
{
public:
    Exchange(QNetworkReply *reply, const FetchSettings &settings)
        : m_reply(reply)
        , m_settings(settings)
    {
        m_idle.setSingleShot(true);
        m_idle.setInterval(settings.idleTimeoutMs);
        QObject::connect(&m_idle, &QTimer::timeout, &m_loop, [this] { fail(); });
        QObject::connect(reply, &QNetworkReply::readyRead, &m_loop, [this] { takeBytes(); });
        QObject::connect(reply, &QNetworkReply::finished, &m_loop, [this] {
            m_idle.stop();
            m_loop.quit();
        });
        for (auto signal : {&QNetworkReply::metaDataChanged, &QNetworkReply::requestSent,
                            &QNetworkReply::socketStartedConnecting, &QNetworkReply::encrypted})
            QObject::connect(reply, signal, &m_loop, [this] { progressed(); });
    }

    std::optional<Answer> run()
    {
        if (!m_reply->isFinished()) {
            m_idle.start();
            m_loop.exec();
        }
        m_idle.stop();
        // The loop also ends when the application quits while the fetch waits.
        if (!m_reply->isFinished())
            fail();
        if (m_failed || isTransportError(m_reply->error()))
            return std::nullopt;
        takeBytes();
        if (m_failed || isCutOff())
            return std::nullopt;
        Answer answer;
        answer.body = m_body;
        answer.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray rawLocation = m_reply->rawHeader("Location").trimmed();
        const QUrl location = QUrl::fromEncoded(rawLocation);
        if (!rawLocation.isEmpty() && location.isValid())
            answer.location = m_reply->url().resolved(location);
        return answer;
    }

private:
    // The network stack sometimes reports a connection closed in the middle
    // of the body as a finished answer; the declared length tells. (A
    // compressed body is checked by its decompressor instead.)
    bool isCutOff() const
    {
        if (m_reply->hasRawHeader("Content-Encoding"))
            return false;
        bool ok = false;
        const qint64 declared = m_reply->rawHeader("Content-Length").trimmed().toLongLong(&ok);
        return ok && m_body.size() < declared;
    }

    void progressed()
    {
        if (!m_reply->isFinished())
            m_idle.start();
    }

    void takeBytes()
    {
        m_body += m_reply->readAll();
        if (m_body.size() > m_settings.maxBodyBytes) {
            fail();
            return;
        }
        progressed();
    }

    void fail()
    {
        m_failed = true;
        m_body.clear();
        if (!m_reply->isFinished())
            m_reply->abort();
    }

    QNetworkReply *m_reply;
    FetchSettings m_settings;
    QEventLoop m_loop;
    QTimer m_idle;
    QByteArray m_body;
    bool m_failed = false;
};

bool isRedirect(const Answer &answer)
{
    static const int statuses[] = {301, 302, 303, 307, 308};
    return std::find(std::begin(statuses), std::end(statuses), answer.status) != std::end(statuses)
        && !answer.location.isEmpty();
}

// No redirect from https down to http.
bool mayFollow(const QUrl &from, const QUrl &to)
{
    return !(from.scheme().compare(u"https", Qt::CaseInsensitive) == 0
             && to.scheme().compare(u"https", Qt::CaseInsensitive) != 0);
}

// Redirects are followed here rather than by the network stack, which on
// loopback sometimes sends a redirected request twice.
std::optional<QByteArray> fetchBody(const QString &url, const FetchSettings &settings)
{
    QUrl target = acceptedUrl(QUrl(url.trimmed()));
    if (!target.isValid() || !QCoreApplication::instance())
        return std::nullopt;
    // A manager per call: nothing (cookies, connections) is kept between fetches.
    QNetworkAccessManager manager;
    for (int redirects = 0; redirects <= settings.maxRedirects; ++redirects) {
        QNetworkRequest request(target);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        if (!settings.userAgent.isEmpty())
            request.setRawHeader("User-Agent", settings.userAgent);
        std::unique_ptr<QNetworkReply> reply(manager.get(request));
        if (!reply)
            return std::nullopt;
        const std::optional<Answer> answer = Exchange(reply.get(), settings).run();
        if (!answer)
            return std::nullopt;
        if (!isRedirect(*answer))
            return answer->body;
        const QUrl next = acceptedUrl(answer->location);
        if (!next.isValid() || !mayFollow(target, next))
            return std::nullopt;
        target = next;
    }
    return std::nullopt;
}

} // namespace

FetchSettings fetchSettings() { return currentSettings(); }

FetchSettings setFetchSettings(const FetchSettings &settings)
{
    const FetchSettings previous = currentSettings();
    currentSettings() = settings;
    return previous;
}

QString FetchUrlText(const QString &url, const QString &charset)
{
    return FetchUrlText(url, charset, fetchSettings());
}

QString FetchUrlText(const QString &url, const QString &charset, const FetchSettings &settings)
{
    try {
        const std::optional<QByteArray> body = fetchBody(url, settings);
        if (!body || body->isEmpty())
            return {};
        return DecodeResponseBytes(*body, charset);
    } catch (...) {
        return {};
    }
}

std::optional<QByteArray> FetchUrlBytes(const QString &url, const FetchSettings &settings)
{
    try {
        return fetchBody(url, settings);
    } catch (...) {
        return std::nullopt;
    }
}

QString DecodeResponseBytes(const QByteArray &bytes, const QString &charset)
{
    if (bytes.isEmpty())
        return {};
    if (isCodePage936Name(charset))
        return cp936::toUnicode(bytes) + (endsInLoneLeadByte(bytes) ? QStringLiteral("\uFFFD") : QString());
    const QByteArray name = charset.trimmed().toLatin1();
    if (name.isEmpty())
        return {};
    // Stateless: a character cut off at the end comes out as U+FFFD instead
    // of waiting, unseen, for bytes that never come.
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return {};
    return decoder.decode(bytes);
}

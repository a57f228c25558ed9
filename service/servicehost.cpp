#include "servicehost.h"

#include "servicerouter.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QUrl>

namespace {

QString methodName(QHttpServerRequest::Method method)
{
    const char *key = QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method));
    return key ? QString::fromLatin1(key).toUpper() : QStringLiteral("UNKNOWN");
}

} // namespace

ServiceHost::ServiceHost(int number, ServiceRouter &router, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_number(number)
    , m_router(router)
{
}

quint16 ServiceHost::start(quint16 port)
{
    m_port = listen(QHostAddress::LocalHost, port);
    return m_port;
}

QString ServiceHost::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

bool ServiceHost::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    const QUrl url = request.url();
    const ServiceRequest parsed = ServiceRequest::parse(methodName(request.method()), url.path(),
                                                        url.query(QUrl::FullyEncoded).toLatin1(), url.hasQuery());
    const ServiceAnswer answer = m_router.answer(parsed);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(answer.body, answer.contentType, QHttpServerResponder::StatusCode(answer.status));
    Q_EMIT answered(QStringLiteral("host%1 %2 %3 %4").arg(m_number).arg(parsed.method, parsed.logged()).arg(answer.status));
    return true;
}

void ServiceHost::missingHandler(const QHttpServerRequest &, QTcpSocket *) {}

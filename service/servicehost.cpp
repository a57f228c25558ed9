#include "servicehost.h"

#include "serviceconnection.h"
#include "servicerouter.h"

#include <QTcpSocket>

namespace {

// After the system refused a connection for want of descriptors, accepting
// starts again this much later.
constexpr int kAcceptPauseMs = 100;

} // namespace

ServiceHost::ServiceHost(int number, ServiceRouter &router, QObject *parent)
    : ServiceHost(number, [&router](const ServiceRequest &request) { return router.answer(request); }, parent)
{
}

ServiceHost::ServiceHost(int number, HttpSession::Handler handler, QObject *parent)
    : QObject(parent)
    , m_number(number)
    , m_handler(std::move(handler))
{
    m_clock.start();
    connect(&m_server, &QTcpServer::newConnection, this, &ServiceHost::acceptConnections);
    connect(&m_server, &QTcpServer::acceptError, this, &ServiceHost::acceptFailed);
    connect(&m_sweep, &QTimer::timeout, this, &ServiceHost::sweep);
}

ServiceHost::~ServiceHost()
{
    for (ServiceConnection *connection : std::as_const(m_connections)) {
        connection->disconnect(this);
        delete connection;
    }
}

void ServiceHost::setLimits(const ServiceLimits &limits) { m_limits = limits; }

quint16 ServiceHost::start(quint16 port)
{
    // A burst of new connections waits in the queue while the event loop
    // catches up, rather than having its connection attempts dropped.
    m_server.setListenBacklogSize(1024);
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return 0;
    m_port = m_server.serverPort();
    m_sweep.start(qBound(20, m_limits.timeoutMs / 10, 1000));
    return m_port;
}

QString ServiceHost::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

QString ServiceHost::logLine(int host, const QString &answerLine)
{
    QString line = QStringLiteral("host%1 ").arg(host) + answerLine;
    if (line.size() <= LogLineLimit)
        return line;
    line.truncate(LogLineLimit - 3);
    if (line.back().isHighSurrogate())
        line.chop(1);
    return line + QStringLiteral("...");
}

void ServiceHost::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_connections.size() >= m_limits.connections)
            closeQuietest();
        auto *connection = new ServiceConnection(
            socket, m_handler, [this](const QString &line) { Q_EMIT answered(logLine(m_number, line)); }, m_limits,
            [this] { return m_clock.elapsed(); }, this);
        m_connections.append(connection);
        connect(connection, &ServiceConnection::closed, this, &ServiceHost::forget);
        connection->start();
    }
}

void ServiceHost::acceptFailed()
{
    // Out of descriptors: the server has stopped accepting. Free one and go on.
    closeQuietest();
    QTimer::singleShot(kAcceptPauseMs, this, [this] { m_server.resumeAccepting(); });
}

void ServiceHost::closeQuietest()
{
    ServiceConnection *quietest = nullptr;
    for (ServiceConnection *connection : std::as_const(m_connections)) {
        if (!quietest || connection->lastActivity() < quietest->lastActivity())
            quietest = connection;
    }
    if (quietest)
        quietest->abort();
}

void ServiceHost::sweep()
{
    // A connection closed on the way stays valid until the event loop deletes it.
    const QList<ServiceConnection *> connections = m_connections;
    for (ServiceConnection *connection : connections)
        connection->checkTime();
}

void ServiceHost::forget(ServiceConnection *connection)
{
    m_connections.removeOne(connection);
    connection->deleteLater();
}

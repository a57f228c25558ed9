#include "serviceconnection.h"

#include <QTcpSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

constexpr qsizetype kReadChunk = 64 * 1024;
// How soon a streamed body that had nothing due is asked again.
constexpr int kStreamRetryMs = 40;
// After the last answer of a closing connection, what the client still sends
// (the rest of a refused body, say) is read and dropped for a while: closing
// with unread input would reset the connection and could destroy the answer
// before the client has read it.
constexpr qint64 kLingerMs = 2000;
constexpr qint64 kLingerBytes = 1024 * 1024;

void stopSending(QTcpSocket *socket)
{
    const qintptr descriptor = socket->socketDescriptor();
    if (descriptor < 0)
        return;
#ifdef Q_OS_WIN
    ::shutdown(SOCKET(descriptor), SD_SEND);
#else
    ::shutdown(int(descriptor), SHUT_WR);
#endif
}

} // namespace

ServiceConnection::ServiceConnection(QTcpSocket *socket, HttpSession::Handler handler, HttpSession::Logger logger,
                                     const ServiceLimits &limits, std::function<qint64()> clock, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_session(std::move(handler), std::move(logger), limits)
    , m_limits(limits)
    , m_clock(std::move(clock))
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadChunk);
    m_lastActivity = m_lastWrite = m_waitingSince = m_clock();
    m_streamRetry.setSingleShot(true);
    m_streamRetry.setInterval(kStreamRetryMs);
    connect(&m_streamRetry, &QTimer::timeout, this, &ServiceConnection::pump);
    connect(m_socket, &QTcpSocket::readyRead, this, &ServiceConnection::pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ServiceConnection::onBytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &ServiceConnection::finish);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &ServiceConnection::finish);
}

ServiceConnection::~ServiceConnection()
{
    m_socket->disconnect(this);
    delete m_socket;
}

void ServiceConnection::start() { pump(); }

void ServiceConnection::pump()
{
    if (m_finished)
        return;
    if (m_closingSince >= 0)
        return discardInput();
    for (;;) {
        if (m_session.wantsInput() && m_socket->bytesAvailable() > 0) {
            m_session.receive(m_socket->read(kReadChunk));
            m_lastActivity = m_clock();
            continue;
        }
        const qint64 unsent = m_socket->bytesToWrite();
        if (unsent >= m_limits.unsentOutput)
            return; // the next bytesWritten() comes back here
        const QByteArray output = m_session.pull(m_limits.unsentOutput - unsent);
        if (output.isEmpty())
            break;
        if (unsent == 0)
            m_lastWrite = m_clock();
        m_socket->write(output);
        // Into the system's buffer at once: a client that has closed its
        // sending side makes the socket close as soon as that is read, and
        // whatever is still buffered here would be lost.
        m_socket->flush();
    }
    if (m_session.streaming())
        m_streamRetry.start();
    else if (m_session.finished() && m_socket->bytesToWrite() == 0)
        startClosing();
}

void ServiceConnection::onBytesWritten()
{
    m_lastActivity = m_lastWrite = m_clock();
    if (m_socket->bytesToWrite() == 0)
        m_waitingSince = m_lastWrite;
    pump();
}

void ServiceConnection::checkTime()
{
    if (m_finished)
        return;
    const qint64 now = m_clock();
    if (m_closingSince >= 0) {
        if (now - m_closingSince > kLingerMs)
            abort();
        return;
    }
    if (m_socket->bytesToWrite() > 0) {
        if (now - m_lastWrite > m_limits.timeoutMs)
            abort(); // the client does not read
        return;
    }
    if (m_session.streaming() || now - m_waitingSince <= m_limits.timeoutMs)
        return;
    if (!m_session.partialRequest())
        return abort();
    m_session.timeOut();
    pump();
}

void ServiceConnection::startClosing()
{
    m_closingSince = m_clock();
    m_streamRetry.stop();
    stopSending(m_socket);
    discardInput();
}

void ServiceConnection::discardInput()
{
    while (!m_finished && m_socket->bytesAvailable() > 0) {
        const qint64 skipped = m_socket->skip(m_socket->bytesAvailable());
        m_discarded += qMax<qint64>(skipped, 0);
        if (skipped <= 0 || m_discarded > kLingerBytes)
            abort();
    }
}

void ServiceConnection::abort() { finish(); }

void ServiceConnection::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_streamRetry.stop();
    m_socket->abort();
    Q_EMIT closed(this);
}

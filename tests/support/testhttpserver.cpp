#include "testhttpserver.h"

#include "platform/codepage936.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

bool hasHeader(const TestHttpAnswer &answer, const QByteArray &name)
{
    for (const auto &header : answer.headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray head(const TestHttpAnswer &answer)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
    for (const auto &header : answer.headers)
        out += header.first + ": " + header.second + "\r\n";
    if (!hasHeader(answer, "Content-Length"))
        out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    return out + "\r\n";
}

bool closesConnection(const TestHttpAnswer &answer)
{
    for (const auto &header : answer.headers) {
        if (header.first.compare("Connection", Qt::CaseInsensitive) == 0
            && header.second.trimmed().compare("close", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

TestHttpAnswer TestHttpAnswer::text(const QByteArray &body, int status, const QByteArray &contentType)
{
    TestHttpAnswer answer;
    answer.status = status;
    answer.body = body;
    answer.headers = {{"Content-Type", contentType}};
    return answer;
}

TestHttpAnswer TestHttpAnswer::gbk(const QString &text, int status)
{
    return TestHttpAnswer::text(cp936::fromUnicode(text), status, "text/plain; charset=gb2312");
}

TestHttpAnswer TestHttpAnswer::html(const QString &utf8Html, int status)
{
    return TestHttpAnswer::text(utf8Html.toUtf8(), status, "text/html; charset=utf-8");
}

TestHttpAnswer TestHttpAnswer::redirect(const QString &location, int status)
{
    TestHttpAnswer answer = TestHttpAnswer::text("moved", status);
    answer.headers.append({"Location", location.toUtf8()});
    return answer;
}

TestHttpAnswer TestHttpAnswer::silent()
{
    TestHttpAnswer answer;
    answer.neverAnswer = true;
    return answer;
}

TestHttpServer::TestHttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_defaultAnswer(TestHttpAnswer::text("not found", 404))
{
    connect(m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
    m_server->listen(QHostAddress::LocalHost, 0);
}

TestHttpServer::~TestHttpServer() = default;

bool TestHttpServer::isListening() const { return m_server->isListening(); }

quint16 TestHttpServer::port() const { return m_server->serverPort(); }

QString TestHttpServer::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }

QString TestHttpServer::url(const QString &target) const { return baseUrl() + target; }

void TestHttpServer::setAnswer(const QString &target, const TestHttpAnswer &answer) { m_answers[target] = answer; }

void TestHttpServer::setDefaultAnswer(const TestHttpAnswer &answer) { m_defaultAnswer = answer; }

int TestHttpServer::requestCount(const QString &path) const
{
    int count = 0;
    for (const QString &target : m_requests) {
        if (target.section(QLatin1Char('?'), 0, 0) == path)
            ++count;
    }
    return count;
}

QString TestHttpServer::refusedBaseUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

// One client connection: reads requests one after the other and answers
// each before it looks at the next.
class TestHttpConnection : public QObject
{
public:
    TestHttpConnection(QTcpSocket *socket, TestHttpServer *server)
        : QObject(socket)
        , m_socket(socket)
        , m_server(server)
    {
        connect(socket, &QTcpSocket::readyRead, this, [this] {
            m_buffer += m_socket->readAll();
            next();
        });
    }

private:
    void next()
    {
        if (m_busy)
            return;
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_buffer.size() > kMaxHeaderBytes)
                m_socket->abort();
            return;
        }
        const QByteArray head = m_buffer.left(end);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        m_buffer.remove(0, end + 4);
        const QString target = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
        m_busy = true;
        const TestHttpAnswer answer = m_server->received(target, head);
        if (answer.neverAnswer)
            return;
        if (answer.delayMs > 0)
            QTimer::singleShot(answer.delayMs, this, [this, answer] { send(answer); });
        else
            send(answer);
    }

    void send(const TestHttpAnswer &answer)
    {
        m_socket->write(head(answer));
        if (answer.trickleMs > 0) {
            trickle(answer, answer.body);
            return;
        }
        m_socket->write(answer.body);
        done(answer);
    }

    void trickle(const TestHttpAnswer &answer, const QByteArray &rest)
    {
        if (rest.isEmpty()) {
            done(answer);
            return;
        }
        const qsizetype piece = qMax<qsizetype>(1, answer.trickleBytes);
        m_socket->write(rest.left(piece));
        QTimer::singleShot(answer.trickleMs, this, [this, answer, after = rest.mid(piece)] { trickle(answer, after); });
    }

    void done(const TestHttpAnswer &answer)
    {
        m_busy = false;
        if (closesConnection(answer))
            m_socket->disconnectFromHost();
        else
            next();
    }

    QTcpSocket *m_socket;
    TestHttpServer *m_server;
    QByteArray m_buffer;
    bool m_busy = false;
};

void TestHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        new TestHttpConnection(socket, this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

QByteArray TestHttpServer::lastRequestHeader(const QByteArray &name) const
{
    for (const QByteArray &line : m_lastHead.split('\n').mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

TestHttpAnswer TestHttpServer::received(const QString &target, const QByteArray &head)
{
    m_requests.append(target);
    m_lastHead = head;
    Q_EMIT requestReceived(target);
    auto exact = m_answers.constFind(target);
    if (exact != m_answers.constEnd())
        return *exact;
    auto byPath = m_answers.constFind(target.section(QLatin1Char('?'), 0, 0));
    return byPath != m_answers.constEnd() ? *byPath : m_defaultAnswer;
}

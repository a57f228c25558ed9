#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

class QTcpServer;
class TestHttpConnection;

// A canned answer of TestHttpServer.
struct TestHttpAnswer
{
    int status = 200;
    QByteArray body;
    // Sent as given after the status line. Content-Length is added unless
    // given (a too large one makes a body that is cut off). The connection is
    // kept open for the next request unless a "Connection: close" header is
    // given, which closes it after the body.
    QList<QPair<QByteArray, QByteArray>> headers;
    int delayMs = 0; // wait this long before answering
    bool neverAnswer = false; // read the request, keep the connection open, never write
    // With trickleMs > 0 the body goes out in pieces of trickleBytes, one every trickleMs.
    int trickleMs = 0;
    qsizetype trickleBytes = 1;

    static TestHttpAnswer text(const QByteArray &body, int status = 200,
                               const QByteArray &contentType = "text/plain");
    // The text encoded as code page 936, labelled "text/plain; charset=gb2312".
    static TestHttpAnswer gbk(const QString &text, int status = 200);
    static TestHttpAnswer html(const QString &utf8Html, int status = 200);
    static TestHttpAnswer redirect(const QString &location, int status = 302);
    static TestHttpAnswer silent();
};

// A real HTTP/1.1 server for tests on 127.0.0.1 with a port the system picks.
// It answers GET requests from a table of canned answers and records every
// request target ("/path?query", exactly as sent) in arrival order, so a test
// can say which host was asked and with what. Connections are kept alive;
// requests on one connection are answered in order.
class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    explicit TestHttpServer(QObject *parent = nullptr);
    ~TestHttpServer() override;

    bool isListening() const;
    quint16 port() const;
    QString baseUrl() const; // "http://127.0.0.1:<port>", no trailing slash
    QString url(const QString &target) const; // baseUrl() + target

    // target is a path ("/user/denglu.asp"), answering any query, or a path
    // with a query ("/user/denglu.asp?yh=a&pw=b"), answering only that exact
    // target; the exact target wins. The answer replaces an earlier one.
    void setAnswer(const QString &target, const TestHttpAnswer &answer);
    // The answer to every other target; "404 not found" until set.
    void setDefaultAnswer(const TestHttpAnswer &answer);

    QStringList requests() const { return m_requests; }
    int requestCount() const { return int(m_requests.size()); }
    int requestCount(const QString &path) const; // requests for this path, any query
    QString lastRequest() const { return m_requests.isEmpty() ? QString() : m_requests.last(); }
    // A header of the last request (name in any case), empty when it had none.
    QByteArray lastRequestHeader(const QByteArray &name) const;
    void clearRequests() { m_requests.clear(); }

    // The base URL of a port on 127.0.0.1 where nothing listens: a connection is refused.
    static QString refusedBaseUrl();

Q_SIGNALS:
    void requestReceived(const QString &target);

private:
    friend class TestHttpConnection;
    void onNewConnection();
    TestHttpAnswer received(const QString &target, const QByteArray &head);

    QTcpServer *m_server;
    QHash<QString, TestHttpAnswer> m_answers;
    TestHttpAnswer m_defaultAnswer;
    QStringList m_requests;
    QByteArray m_lastHead;
};

Q_DECLARE_METATYPE(TestHttpAnswer)

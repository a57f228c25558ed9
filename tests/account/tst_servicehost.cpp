#include "servicehost.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace {

const QByteArray kGet = "GET / HTTP/1.1\r\nHost: a\r\n\r\n";

// Waits until the value has stayed the same for a while; -1 when it keeps changing.
qint64 settled(const std::function<qint64()> &value)
{
    QElapsedTimer total;
    total.start();
    qint64 last = value();
    QElapsedTimer quiet;
    quiet.start();
    while (total.elapsed() < 20000) {
        QTest::qWait(50);
        const qint64 now = value();
        if (now != last) {
            last = now;
            quiet.restart();
        } else if (quiet.elapsed() >= 500) {
            return last;
        }
    }
    return -1;
}

// A client that reads only when told to.
class Client : public QTcpSocket
{
public:
    explicit Client(quint16 port, bool reading = true)
    {
        if (!reading)
            setReadBufferSize(1024);
        connectToHost(QHostAddress::LocalHost, port);
        waitForConnected(5000);
    }
    void startReading()
    {
        connect(this, &QTcpSocket::readyRead, this, [this] { received += readAll(); });
        setReadBufferSize(0);
        received += readAll();
    }
    QByteArray received;
};

class EndlessStream : public AnswerStream
{
public:
    explicit EndlessStream(qint64 &made)
        : m_made(made)
    {
    }
    QByteArray read(qsizetype maxBytes) override
    {
        m_made += maxBytes;
        return QByteArray(maxBytes, 's');
    }
    bool atEnd() const override { return false; }

private:
    qint64 &m_made;
};

} // namespace

// A host on a real socket: what it does when clients do not behave.
class TestServiceHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unreadOutputHoldsFurtherAnswers();
    void streamIsMadeAsTheClientReads();
    void lateRequests_data();
    void lateRequests();
    void quietestConnectionClosedAtTheCap();
    void oversizeBodyAnsweredBeforeClosing();
    void clientThatStopsSendingGetsItsAnswer();
    void connectionsWithinDescriptors_data();
    void connectionsWithinDescriptors();
};

void TestServiceHost::unreadOutputHoldsFurtherAnswers()
{
    const ServiceAnswer wav{200, "audio/wav", QByteArray(64 * 1024, 'w'), {}, {}};
    const qsizetype answerSize = httpanswer::head(wav, true).size() + wav.body.size();
    ServiceHost host(1, [&](const ServiceRequest &) { return wav; });
    int answered = 0;
    connect(&host, &ServiceHost::answered, this, [&] { ++answered; });
    Client client(host.start(0), false);

    client.write(kGet.repeated(1000)); // 64 MB of answers

    const qint64 held = settled([&] { return answered; });
    QVERIFY2(held > 0 && held < 500, qPrintable(QString::number(held)));
    client.startReading();
    QTRY_COMPARE_WITH_TIMEOUT(answered, 1000, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(client.received.size(), 1000 * answerSize, 30000);
}

void TestServiceHost::streamIsMadeAsTheClientReads()
{
    qint64 made = 0;
    ServiceHost host(1, [&](const ServiceRequest &) {
        return ServiceAnswer{200, "audio/mpeg", {}, {}, std::make_shared<EndlessStream>(made)};
    });
    Client client(host.start(0), false);
    client.write(kGet);

    const qint64 held = settled([&] { return made; });
    QVERIFY2(held > 0 && held < 64 * 1024 * 1024, qPrintable(QString::number(held)));
    client.startReading();
    QTRY_VERIFY_WITH_TIMEOUT(client.received.size() > held + 16 * 1024 * 1024, 30000);
    QVERIFY(client.received.startsWith("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nConnection: close\r\n\r\nsss"));

    client.abort();
    QTRY_COMPARE(host.connectionCount(), 0);
}

void TestServiceHost::lateRequests_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("trickle");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("half a request") << QByteArray("GET / HT") << false << QByteArray("HTTP/1.1 408 ");
    QTest::newRow("headers a byte at a time") << QByteArray("GET / HTTP/1.1\r\n") << true << QByteArray("HTTP/1.1 408 ");
    QTest::newRow("nothing sent") << QByteArray() << false << QByteArray();
    QTest::newRow("nothing after an answer") << kGet << false << QByteArray("HTTP/1.1 200 ");
}

void TestServiceHost::lateRequests()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, trickle);
    QFETCH(QByteArray, answer);
    ServiceHost host(1, [](const ServiceRequest &) { return ServiceAnswer{200, "text/plain", "ok", {}, {}}; });
    ServiceLimits limits;
    limits.timeoutMs = 300;
    host.setLimits(limits);
    Client client(host.start(0));
    client.startReading();
    QTimer trickler;
    connect(&trickler, &QTimer::timeout, &client, [&] { client.write("X"); });
    if (trickle)
        trickler.start(50);

    client.write(input);

    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 10000);
    QVERIFY2(client.received.startsWith(answer), client.received.constData());
    QCOMPARE(client.received.isEmpty(), answer.isEmpty());
    QTRY_COMPARE(host.connectionCount(), 0);
}

void TestServiceHost::quietestConnectionClosedAtTheCap()
{
    ServiceHost host(1, [](const ServiceRequest &) { return ServiceAnswer{200, "text/plain", "ok", {}, {}}; });
    ServiceLimits limits;
    limits.connections = 3;
    host.setLimits(limits);
    const quint16 port = host.start(0);
    std::unique_ptr<Client> clients[4];
    for (int i = 0; i < 3; ++i) {
        clients[i] = std::make_unique<Client>(port);
        clients[i]->startReading();
        QTRY_COMPARE(host.connectionCount(), i + 1);
    }
    QTest::qWait(30);
    clients[1]->write("G"); // the first stays the quietest
    clients[2]->write("G");
    QTest::qWait(30);

    clients[3] = std::make_unique<Client>(port);
    clients[3]->startReading();
    clients[3]->write(kGet);

    QTRY_COMPARE(clients[0]->state(), QAbstractSocket::UnconnectedState);
    QTRY_VERIFY(clients[3]->received.endsWith("\r\n\r\nok"));
    QCOMPARE(clients[1]->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(clients[2]->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(host.connectionCount(), 3);
}

void TestServiceHost::oversizeBodyAnsweredBeforeClosing()
{
    ServiceHost host(1, [](const ServiceRequest &) { return ServiceAnswer{200, "text/plain", "ok", {}, {}}; });
    Client client(host.start(0));
    client.startReading();

    // The answer comes before the rest of the body, and the connection closes.
    client.write("POST / HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n" + QByteArray(100000, 'x'));

    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 10000);
    QVERIFY2(client.received.startsWith("HTTP/1.1 413 Payload Too Large\r\n"), client.received.constData());
    QVERIFY(client.received.endsWith("\r\n\r\n413 Payload Too Large\n"));
}

void TestServiceHost::clientThatStopsSendingGetsItsAnswer()
{
#ifdef Q_OS_UNIX
    ServiceHost host(1, [](const ServiceRequest &) { return ServiceAnswer{200, "text/plain", "ok", {}, {}}; });
    Client client(host.start(0));
    client.startReading();

    client.write(kGet);
    QVERIFY(client.waitForBytesWritten(5000));
    ::shutdown(int(client.socketDescriptor()), SHUT_WR);

    QTRY_VERIFY(client.received.endsWith("\r\n\r\nok"));
#else
    QSKIP("closing one side of a socket is done the POSIX way here");
#endif
}

void TestServiceHost::connectionsWithinDescriptors_data()
{
    QTest::addColumn<qint64>("descriptors");
    QTest::addColumn<int>("hosts");
    QTest::addColumn<int>("connections");

    QTest::newRow("two hosts in 1024") << qint64(1024) << 2 << 480;
    QTest::newRow("one host in 1024") << qint64(1024) << 1 << 512;
    QTest::newRow("two hosts in 200") << qint64(200) << 2 << 68;
    QTest::newRow("hardly any") << qint64(20) << 2 << 16;
}

void TestServiceHost::connectionsWithinDescriptors()
{
    QFETCH(qint64, descriptors);
    QFETCH(int, hosts);
    QFETCH(int, connections);

    QCOMPARE(ServiceLimits::withinDescriptors(descriptors, hosts).connections, connections);
}

QTEST_GUILESS_MAIN(TestServiceHost)
#include "tst_servicehost.moc"

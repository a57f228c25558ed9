// Soak test of the reference service: 500 misbehaving connections for a
// while (slow headers, pipelined requests that are never read, oversize
// request lines, headers and bodies, connections that send nothing), and
// meanwhile a normal login request every 200 ms, all to host 1. The service
// runs both hosts with a limit of 1024 descriptors. Passes when every normal request was answered
// within a second and the service stayed under 100 MB of resident memory.
//
//   soak_service <chengyu-service> <data folder> [seconds, default 10]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kAnswerLimitMs = 1000;
constexpr qint64 kMemoryLimitKb = 100 * 1024;

enum class Kind { SlowHeaders, Pipelined, LongLine, LongHeaders, LongBody, Silent };

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::SlowHeaders: return "slow headers";
    case Kind::Pipelined: return "pipelined, never read";
    case Kind::LongLine: return "oversize request line";
    case Kind::LongHeaders: return "oversize headers";
    case Kind::LongBody: return "oversize body";
    case Kind::Silent: return "silent";
    }
    return "";
}

struct Stats
{
    int connects = 0;
    int closedByService = 0;
};

// One misbehaving client: connects, does its kind of harm, and connects again
// a moment after the service closed it.
class Attacker : public QObject
{
public:
    Attacker(Kind kind, quint16 port, Stats &stats)
        : m_kind(kind)
        , m_port(port)
        , m_stats(stats)
    {
        m_drip.setInterval(1000);
        connect(&m_drip, &QTimer::timeout, this, [this] { m_socket->write("X-Slow: 1\r\n"); });
        start();
    }

private:
    void start()
    {
        m_socket = std::make_unique<QTcpSocket>();
        if (m_kind == Kind::Pipelined)
            m_socket->setReadBufferSize(1); // takes a byte, then never reads
        connect(m_socket.get(), &QTcpSocket::connected, this, &Attacker::onConnected);
        connect(m_socket.get(), &QTcpSocket::bytesWritten, this, &Attacker::flood);
        connect(m_socket.get(), &QTcpSocket::readyRead, this, [this] {
            if (m_kind != Kind::Pipelined)
                m_socket->readAll();
        });
        connect(m_socket.get(), &QTcpSocket::disconnected, this, &Attacker::restart);
        connect(m_socket.get(), &QTcpSocket::errorOccurred, this, &Attacker::restart);
        m_socket->connectToHost(QHostAddress::LocalHost, m_port);
    }

    void restart()
    {
        if (m_restarting)
            return;
        m_restarting = true;
        m_drip.stop();
        ++m_stats.closedByService;
        QTimer::singleShot(100, this, [this] {
            m_socket.release()->deleteLater();
            m_restarting = false;
            start();
        });
    }

    void onConnected()
    {
        ++m_stats.connects;
        switch (m_kind) {
        case Kind::SlowHeaders:
            m_socket->write("GET /user/yanzhen.asp HTTP/1.1\r\nHost: a\r\n");
            m_drip.start();
            break;
        case Kind::Pipelined:
            m_socket->write(QByteArray("GET /tone/radio/1.wav HTTP/1.1\r\nHost: a\r\n\r\n").repeated(200));
            break;
        case Kind::LongLine:
            m_socket->write("GET /user/yanzhen.asp?yh=");
            break;
        case Kind::LongHeaders:
            m_socket->write("GET / HTTP/1.1\r\nX-Long: ");
            break;
        case Kind::LongBody:
            m_socket->write("POST / HTTP/1.1\r\nContent-Length: 300000000\r\n\r\n");
            break;
        case Kind::Silent:
            break;
        }
        flood();
    }

    // The oversize kinds keep sending as fast as the service takes it.
    void flood()
    {
        const bool oversize = m_kind == Kind::LongLine || m_kind == Kind::LongHeaders || m_kind == Kind::LongBody;
        if (!oversize || m_restarting || m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        static const QByteArray chunk(64 * 1024, 'x');
        while (m_socket->bytesToWrite() < 256 * 1024)
            m_socket->write(chunk);
    }

    Kind m_kind;
    quint16 m_port;
    Stats &m_stats;
    std::unique_ptr<QTcpSocket> m_socket;
    QTimer m_drip;
    bool m_restarting = false;
};

// A normal login; reports the milliseconds to the whole answer, or -1.
class Probe : public QObject
{
public:
    Probe(quint16 port, std::function<void(qint64)> done)
        : m_done(std::move(done))
    {
        m_clock.start();
        connect(&m_socket, &QTcpSocket::connected, this, [this] {
            m_socket.write("GET /user/denglu.asp?yh=vip&pw=123456 HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
        });
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_answer += m_socket.readAll(); });
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
            // The body is "VIP用户 ..." in code page 936.
            finish(m_answer.startsWith("HTTP/1.1 200 ") && m_answer.contains("\r\n\r\nVIP\xD3\xC3\xBB\xA7"));
        });
        QTimer::singleShot(5000, this, [this] { finish(false); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }

private:
    void finish(bool answered)
    {
        if (!m_done)
            return;
        auto done = std::move(m_done);
        m_done = nullptr;
        done(answered ? m_clock.elapsed() : -1);
        deleteLater();
    }

    QTcpSocket m_socket;
    QElapsedTimer m_clock;
    QByteArray m_answer;
    std::function<void(qint64)> m_done;
};

qint64 statusKb(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// User and system time of a process in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the name in parentheses; utime and stime are the 12th and 13th of them.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

quint16 startService(QProcess &service, const QString &program, const QString &data)
{
    service.setProgram(program);
    service.setArguments({QStringLiteral("--data"), data, QStringLiteral("--port1"), QStringLiteral("0"),
                          QStringLiteral("--port2"), QStringLiteral("0")});
#ifdef Q_OS_UNIX
    service.setChildProcessModifier([] {
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_NOFILE, &limit);
    });
#endif
    service.start();
    static const QRegularExpression listening(QStringLiteral("host1 listening on http://127\\.0\\.0\\.1:(\\d+)"));
    QByteArray output;
    while (service.waitForReadyRead(5000)) {
        output += service.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return quint16(match.captured(1).toUInt());
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: soak_service <chengyu-service> <data folder> [seconds]\n");
        return 2;
    }
    const int seconds = argc > 3 ? std::max(1, atoi(argv[3])) : 10;
    QProcess service;
    const quint16 port = startService(service, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (!port) {
        std::fprintf(stderr, "the service did not start\n");
        return 1;
    }
    qint64 logged = 0;
    QObject::connect(&service, &QProcess::readyReadStandardOutput, [&] {
        logged += service.readAllStandardOutput().count('\n');
    });

    const std::pair<Kind, int> mix[] = {{Kind::SlowHeaders, 150}, {Kind::Pipelined, 150}, {Kind::LongLine, 34},
                                        {Kind::LongHeaders, 33},  {Kind::LongBody, 33},   {Kind::Silent, 100}};
    Stats stats[6];
    std::vector<std::unique_ptr<Attacker>> attackers;
    for (const auto &[kind, count] : mix) {
        for (int i = 0; i < count; ++i)
            attackers.push_back(std::make_unique<Attacker>(kind, port, stats[int(kind)]));
    }

    std::vector<qint64> latencies;
    int unanswered = 0;
    qint64 peakRss = 0;
    QTimer probing;
    QObject::connect(&probing, &QTimer::timeout, [&] {
        peakRss = std::max(peakRss, statusKb(service.processId(), "VmRSS:"));
        new Probe(port, [&](qint64 ms) {
            if (ms < 0)
                ++unanswered;
            else
                latencies.push_back(ms);
        });
    });
    probing.start(200);
    QTimer::singleShot(seconds * 1000, [&] {
        probing.stop();
        QTimer::singleShot(5500, &app, &QCoreApplication::quit); // the last probes finish
    });
    app.exec();

    const qint64 hwm = statusKb(service.processId(), "VmHWM:");
    const double cpu = cpuSeconds(service.processId());
    peakRss = std::max(peakRss, hwm);
    attackers.clear();
    service.kill();
    service.waitForFinished(5000);

    std::sort(latencies.begin(), latencies.end());
    const qint64 slowest = latencies.empty() ? -1 : latencies.back();
    const qint64 median = latencies.empty() ? -1 : latencies[latencies.size() / 2];
    std::printf("soak: %d s, 500 connections, service limited to 1024 descriptors\n", seconds);
    for (const auto &[kind, count] : mix) {
        const Stats &s = stats[int(kind)];
        std::printf("  %-24s %3d clients: %5d connections, %5d closed by the service\n", kindName(kind), count,
                    s.connects, s.closedByService);
    }
    std::printf("  normal requests: %zu answered, %d unanswered; median %lld ms, slowest %lld ms\n",
                latencies.size(), unanswered, qlonglong(median), qlonglong(slowest));
    std::printf("  service: peak resident memory %lld MB, %.1f s of processor time, %lld log lines\n",
                qlonglong(peakRss / 1024), cpu, qlonglong(logged));
    const bool ok = unanswered == 0 && !latencies.empty() && slowest < kAnswerLimitMs && peakRss > 0
        && peakRss < kMemoryLimitKb;
    std::printf("soak: %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}

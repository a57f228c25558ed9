#include "httpsession.h"
#include "servicehost.h"

#include <QTest>

namespace {

struct Answer
{
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &header : headers) {
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return header.second;
        }
        return {};
    }
};

// Splits a session's output into answers. A body without a length runs to
// the end of the output; malformed output fails the test.
QList<Answer> answersOf(const QByteArray &output)
{
    QList<Answer> answers;
    qsizetype at = 0;
    while (at < output.size()) {
        const qsizetype end = output.indexOf("\r\n\r\n", at);
        if (end < 0 || !output.sliced(at).startsWith("HTTP/1.1 ")) {
            QTest::qFail("output is not a sequence of answers", __FILE__, __LINE__);
            return answers;
        }
        const QList<QByteArray> lines = output.mid(at, end - at).split('\n');
        Answer answer;
        answer.status = lines.first().mid(9, 3).toInt();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines.at(i).indexOf(':');
            answer.headers.append({lines.at(i).left(colon), lines.at(i).mid(colon + 1).trimmed()});
        }
        const QByteArray length = answer.header("Content-Length");
        const qsizetype size = length.isNull() ? output.size() - end - 4 : length.toLongLong();
        answer.body = output.mid(end + 4, size);
        answers.append(answer);
        at = end + 4 + size;
    }
    return answers;
}

// Answers every request 200 with its method and path, "/missing" 404.
ServiceAnswer echo(const ServiceRequest &request)
{
    return {request.path == u"/missing" ? 404 : 200, "text/plain", (request.method + u' ' + request.path).toUtf8(), {}, {}};
}

struct Exchange
{
    QByteArray output;
    QStringList log;
    bool finished = false;
};

// Feeds the input in pieces of `piece` bytes, taking output whenever the
// session takes no input, as a connection does.
Exchange exchange(const QByteArray &input, qsizetype piece, const HttpSession::Handler &handler = echo,
                  qsizetype room = 1 << 20)
{
    Exchange result;
    HttpSession session(handler, [&](const QString &line) { result.log << line; }, ServiceLimits{});
    qsizetype at = 0;
    for (;;) {
        if (session.wantsInput() && at < input.size()) {
            session.receive(QByteArrayView(input).sliced(at, qMin(piece, input.size() - at)));
            at += piece;
            continue;
        }
        const QByteArray output = session.pull(room);
        if (output.isEmpty())
            break;
        result.output += output;
    }
    result.finished = session.finished();
    return result;
}

QByteArray get(const QByteArray &target, const QByteArray &headers = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: a\r\n" + headers + "\r\n";
}

// A body of numbered bytes, endless or of a given size; `due` bytes at a time
// may be read before it has nothing due.
class CountingStream : public AnswerStream
{
public:
    explicit CountingStream(qint64 size = -1, qint64 end = -1)
        : m_size(size)
        , m_end(end < 0 ? size : end)
    {
    }
    QByteArray read(qsizetype maxBytes) override
    {
        if (m_nothingDue) {
            m_nothingDue = false;
            return {};
        }
        const qint64 n = m_end < 0 ? maxBytes : qMin<qint64>(maxBytes, m_end - m_made);
        QByteArray piece(qsizetype(n), Qt::Uninitialized);
        for (char &c : piece)
            c = char('a' + m_made++ % 26);
        return piece;
    }
    bool atEnd() const override { return m_end >= 0 && m_made >= m_end; }
    qint64 size() const override { return m_size; }
    void pause() { m_nothingDue = true; }

private:
    qint64 m_size;
    qint64 m_end;
    qint64 m_made = 0;
    bool m_nothingDue = false;
};

} // namespace

// The service's reading of requests and writing of answers, without sockets.
class TestServiceHttp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requests_data();
    void requests();
    void requestReachesTheRouter();
    void answerHeaders();
    void streamedBodies_data();
    void streamedBodies();
    void streamWithNothingDue();
    void timeOut_data();
    void timeOut();
    void logLines();
};

void TestServiceHttp::requests_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<bool>("closes");

    const QByteArray line8k = "GET /" + QByteArray(8192 - 16, 'a') + " HTTP/1.1\r\n";
    // With the Host line and the blank line after it, 64 KiB of headers.
    const QByteArray header64k = "X: " + QByteArray(64 * 1024 - 9 - 2 - 5, 'b') + "\r\n";
    QByteArray headers99;
    for (int i = 0; i < 99; ++i)
        headers99 += "X-" + QByteArray::number(i) + ": 1\r\n";

    QTest::newRow("one request") << get("/") << QList<int>{200} << false;
    QTest::newRow("pipelined, answered in order") << get("/missing") + get("/") << QList<int>{404, 200} << false;
    QTest::newRow("HTTP/1.0 closes") << QByteArray("GET / HTTP/1.0\r\n\r\n") << QList<int>{200} << true;
    QTest::newRow("HTTP/1.0 keep-alive") << QByteArray("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n")
                                         << QList<int>{200} << false;
    QTest::newRow("close answers nothing after it") << get("/", "Connection: close\r\n") + get("/") << QList<int>{200}
                                                    << true;
    QTest::newRow("line feeds alone") << QByteArray("GET / HTTP/1.1\nHost: a\n\n") << QList<int>{200} << false;
    QTest::newRow("blank lines before a request") << "\r\n\r\n" + get("/") << QList<int>{200} << false;
    QTest::newRow("unfinished request") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << QList<int>{} << false;
    QTest::newRow("request line of 8 KiB") << line8k + "\r\n" << QList<int>{200} << false;
    QTest::newRow("request line over 8 KiB") << "G" + line8k + "\r\n" << QList<int>{414} << true;
    QTest::newRow("headers of 64 KiB") << get("/", header64k) << QList<int>{200} << false;
    QTest::newRow("headers over 64 KiB") << get("/", "X" + header64k) << QList<int>{431} << true;
    QTest::newRow("100 headers") << get("/", headers99) << QList<int>{200} << false;
    QTest::newRow("101 headers") << get("/", headers99 + "Y: 2\r\n") << QList<int>{431} << true;
    QTest::newRow("body of 1 MiB passed over")
        << "POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n" + QByteArray(1 << 20, 'G') + get("/missing")
        << QList<int>{200, 404} << false;
    QTest::newRow("body over 1 MiB") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\nxx")
                                     << QList<int>{413} << true;
    QTest::newRow("body length of 30 digits") << get("/", "Content-Length: " + QByteArray(30, '9') + "\r\n")
                                              << QList<int>{413} << true;
    QTest::newRow("same length twice") << get("/", "Content-Length: 1\r\nContent-Length: 1\r\n") + "x" + get("/")
                                       << QList<int>{200, 200} << false;
    QTest::newRow("two different lengths") << get("/", "Content-Length: 1\r\nContent-Length: 2\r\n")
                                           << QList<int>{400} << true;
    QTest::newRow("negative length") << get("/", "Content-Length: -1\r\n") << QList<int>{400} << true;
    QTest::newRow("chunked body") << get("/", "Transfer-Encoding: chunked\r\n") << QList<int>{501} << true;
    QTest::newRow("HTTP/2.0") << QByteArray("GET / HTTP/2.0\r\n\r\n") << QList<int>{505} << true;
    QTest::newRow("no version") << QByteArray("GET /\r\n\r\n") << QList<int>{400} << true;
    QTest::newRow("two blanks in the request line") << QByteArray("GET  / HTTP/1.1\r\n\r\n") << QList<int>{400}
                                                    << true;
    QTest::newRow("folded header") << get("/", "X: a\r\n b\r\n") << QList<int>{400} << true;
    QTest::newRow("header without a colon") << get("/", "X\r\n") << QList<int>{400} << true;
    QTest::newRow("blank before the colon") << get("/", "X : a\r\n") << QList<int>{400} << true;
    QTest::newRow("carriage return inside a header") << get("/", "X: a\rb\r\n") << QList<int>{400} << true;
    QTest::newRow("NUL in the target") << get(QByteArray("/a\0b", 4)) << QList<int>{400} << true;
    QTest::newRow("TLS greeting") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\n", 12)
                                  << QList<int>{400} << true;
}

void TestServiceHttp::requests()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<int>, statuses);
    QFETCH(bool, closes);

    const Exchange whole = exchange(input, input.size() + 1);

    QList<int> actual;
    for (const Answer &answer : answersOf(whole.output))
        actual << answer.status;
    QCOMPARE(actual, statuses);
    QCOMPARE(whole.finished, closes);
    QCOMPARE(whole.log.size(), statuses.size());
    // However the bytes are cut up on the way, the answers are the same.
    for (qsizetype piece : {1, 7, 4096}) {
        if (input.size() > (1 << 16) && piece == 1)
            continue;
        const Exchange pieces = exchange(input, piece);
        QCOMPARE(pieces.output, whole.output);
        QCOMPARE(pieces.finished, closes);
    }
}

void TestServiceHttp::requestReachesTheRouter()
{
    ServiceRequest seen;
    const auto keep = [&seen](const ServiceRequest &request) {
        seen = request;
        return ServiceAnswer{};
    };

    exchange("GET http://127.0.0.1:8801/tv/%E5%8F%B0.m3u8?yh=%D5%C5 HTTP/1.1\r\nUser-Agent: Player/1.0\r\n"
             "icy-metadata:  1 \r\nRange: bytes=10-\r\nX-Empty:\r\n\r\n",
             64, keep);

    QCOMPARE(seen.method, QStringLiteral("GET"));
    QCOMPARE(seen.path, QStringLiteral("/tv/台.m3u8"));
    QCOMPARE(seen.value(QStringLiteral("yh")), QStringLiteral("张"));
    QCOMPARE(seen.header("user-agent"), QByteArray("Player/1.0"));
    QCOMPARE(seen.header("Icy-MetaData"), QByteArray("1"));
    QCOMPARE(seen.header("Range"), QByteArray("bytes=10-"));
    QVERIFY(!seen.header("X-Empty").isNull());
    QVERIFY(seen.header("X-Empty").isEmpty());
    QVERIFY(seen.header("Cookie").isNull());
}

void TestServiceHttp::answerHeaders()
{
    const auto withHeaders = [](const ServiceRequest &) {
        return ServiceAnswer{403,
                             "text/plain",
                             "no",
                             {{"icy-metaint", "16000"},
                              {"X-Split", "a\r\nSet-Cookie: b"},
                              {"Content-Length", "99"},
                              {"Bad Name", "x"}},
                             {}};
    };

    const QList<Answer> answers = answersOf(exchange(get("/"), 100, withHeaders).output);

    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().status, 403);
    QCOMPARE(answers.first().body, QByteArray("no"));
    QCOMPARE(answers.first().header("icy-metaint"), QByteArray("16000"));
    QCOMPARE(answers.first().headers.size(), 4); // type, icy-metaint, length, connection
    QCOMPARE(answers.first().header("Content-Length"), QByteArray("2"));
}

void TestServiceHttp::streamedBodies_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<qsizetype>("room");
    QTest::addColumn<QByteArray>("length");
    QTest::addColumn<bool>("closes"); // once the body has ended
    QTest::addColumn<int>("answers");
    // An endless body is taken 200 times.

    QTest::newRow("endless, taken in small pieces") << qint64(-1) << qint64(-1) << qsizetype(100) << QByteArray()
                                                    << false << 1;
    QTest::newRow("unknown length that ends") << qint64(-1) << qint64(5000) << qsizetype(1024) << QByteArray() << true
                                              << 1;
    QTest::newRow("known length, then the next request") << qint64(5000) << qint64(5000) << qsizetype(1024)
                                                         << QByteArray("5002") << false << 2;
    QTest::newRow("ends short of its length") << qint64(5000) << qint64(4000) << qsizetype(1024)
                                              << QByteArray("5002") << true << 1;
}

void TestServiceHttp::streamedBodies()
{
    QFETCH(qint64, size);
    QFETCH(qint64, end);
    QFETCH(qsizetype, room);
    QFETCH(QByteArray, length);
    QFETCH(bool, closes);
    QFETCH(int, answers);
    HttpSession session(
        [&](const ServiceRequest &request) {
            if (request.path != u"/stream")
                return echo(request);
            return ServiceAnswer{200, "audio/mpeg", "ab", {}, std::make_shared<CountingStream>(size, end)};
        },
        {}, ServiceLimits{});
    session.receive(get("/stream") + get("/"));

    QByteArray output = session.pull(room);
    for (int i = 0; i < 200 && session.streaming(); ++i) {
        const QByteArray piece = session.pull(room);
        QVERIFY(piece.size() <= room);
        output += piece;
    }
    if (!session.streaming())
        output += session.pull(room);

    const QList<Answer> got = answersOf(output);
    QCOMPARE(got.size(), answers);
    QCOMPARE(got.first().header("Content-Length"), length);
    QCOMPARE(got.first().header("Connection"), size < 0 ? QByteArray("close") : QByteArray("keep-alive"));
    QCOMPARE(session.finished(), closes);
    const QByteArray body = got.first().body;
    QVERIFY(body.startsWith("ababcdefghijklmnopqrstuvwxyzabc")); // the answer's body, then the stream
    QCOMPARE(body.size(), end < 0 ? 2 + 200 * room : 2 + end);
}

void TestServiceHttp::streamWithNothingDue()
{
    auto stream = std::make_shared<CountingStream>();
    HttpSession session([&](const ServiceRequest &) { return ServiceAnswer{200, {}, {}, {}, stream}; }, {},
                        ServiceLimits{});
    session.receive(get("/"));
    QVERIFY(session.pull(10).startsWith("HTTP/1.1 200 OK\r\n"));

    stream->pause();
    QCOMPARE(session.pull(10), QByteArray());
    QVERIFY(session.streaming());
    QCOMPARE(session.pull(10), QByteArray("abcdefghij"));
}

void TestServiceHttp::timeOut_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("half a request") << QByteArray("GET / HT") << QByteArray("HTTP/1.1 408 Request Timeout\r\n");
    QTest::newRow("nothing sent") << QByteArray() << QByteArray();
}

void TestServiceHttp::timeOut()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    HttpSession session(echo, {}, ServiceLimits{});
    session.receive(input);

    session.timeOut();

    QVERIFY(session.pull(1000).startsWith(output));
    QVERIFY(session.finished());
    QVERIFY(!session.wantsInput());
}

void TestServiceHttp::logLines()
{
    const QByteArray input = get("/user/denglu.asp?yh=%251&pw=secret") + get("/missing") + "G" + QByteArray(9000, 'a');
    QCOMPARE(exchange(input, 10).log, QStringList({QStringLiteral("GET /user/denglu.asp?yh=%1&pw=*** 200"),
                                                   QStringLiteral("GET /missing 404"), QStringLiteral("- - 414")}));

    const QString cut = ServiceHost::logLine(2, QStringLiteral("GET /") + QString(497, QLatin1Char('x')) + QStringLiteral("😀 200"));
    QCOMPARE(cut.size(), 511); // the last character would have been cut in half
    QVERIFY(cut.startsWith(QStringLiteral("host2 GET /xxx")));
    QVERIFY(cut.endsWith(QStringLiteral("x...")));
    QCOMPARE(ServiceHost::logLine(1, QStringLiteral("GET / 200")), QStringLiteral("host1 GET / 200"));
}

QTEST_GUILESS_MAIN(TestServiceHttp)
#include "tst_servicehttp.moc"

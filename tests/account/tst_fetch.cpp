#include "account/fetch.h"
#include "platform/codepage936.h"
#include "support/testhttpserver.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QTest>

namespace {

const QString kGb2312 = QStringLiteral("gb2312");

// Restores the fetch settings when a test ends, however it ends.
class SettingsOverride
{
public:
    explicit SettingsOverride(const FetchSettings &settings)
        : m_previous(setFetchSettings(settings))
    {
    }
    ~SettingsOverride() { setFetchSettings(m_previous); }

private:
    FetchSettings m_previous;
};

FetchSettings withIdleTimeout(int ms)
{
    FetchSettings settings;
    settings.idleTimeoutMs = ms;
    return settings;
}

} // namespace

class TestFetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answersComeBackWhateverTheStatus_data();
    void answersComeBackWhateverTheStatus();
    void failuresYieldEmptyText_data();
    void failuresYieldEmptyText();
    void refusedConnectionYieldsEmptyText();
    void silentServerTimesOut();
    void slowButSteadyAnswerIsNotCutOff();
    void quittingTheApplicationEndsAWaitingFetch();
    void redirectIsFollowedToAnotherHost();
    void oversizedBodyCountsAsFailure();
    void bodyAtTheLimitIsKept();
    void bodyIsDecodedInTheCallersCharsetNotTheServers();
    void queryGoesOnTheWireAsGiven();
    void defaultTimeoutIsFifteenSeconds();

    void decode_data();
    void decode();
};

void TestFetch::answersComeBackWhateverTheStatus_data()
{
    QTest::addColumn<TestHttpAnswer>("answer");
    QTest::addColumn<QString>("expected");

    QTest::newRow("GBK body holding VIP用户") << TestHttpAnswer::gbk(QStringLiteral("VIP用户")) << QStringLiteral("VIP用户");
    QTest::newRow("list text with CR LF")
        << TestHttpAnswer::gbk(QStringLiteral("湖南卫视\r\nhttp://a/1\r\n中国之声 广播\r\nhttp://a/2"))
        << QStringLiteral("湖南卫视\r\nhttp://a/1\r\n中国之声 广播\r\nhttp://a/2");
    const QString errorPage = QStringLiteral("<html><body>页面不存在</body></html>");
    QTest::newRow("404 with an HTML body") << TestHttpAnswer::gbk(errorPage, 404) << errorPage;
    QTest::newRow("500 with an HTML body") << TestHttpAnswer::gbk(errorPage, 500) << errorPage;
    QTest::newRow("503 with a body") << TestHttpAnswer::gbk(QStringLiteral("busy"), 503) << QStringLiteral("busy");
    QTest::newRow("403 with a body") << TestHttpAnswer::gbk(QStringLiteral("no"), 403) << QStringLiteral("no");
    QTest::newRow("empty 200 body") << TestHttpAnswer::text("") << QString();
    QTest::newRow("empty 500 body") << TestHttpAnswer::text("", 500) << QString();
    TestHttpAnswer untilClose = TestHttpAnswer::gbk(QStringLiteral("普通用户"));
    untilClose.headers = {{"Content-Length", "8"}};
    QTest::newRow("body of exactly its length") << untilClose << QStringLiteral("普通用户");
}

void TestFetch::answersComeBackWhateverTheStatus()
{
    QFETCH(TestHttpAnswer, answer);
    QFETCH(QString, expected);
    TestHttpServer server;
    QVERIFY(server.isListening());
    server.setAnswer(QStringLiteral("/answer"), answer);

    const QString text = FetchUrlText(server.url(QStringLiteral("/answer")), kGb2312);

    QCOMPARE(text, expected);
    QCOMPARE(server.requests(), QStringList{QStringLiteral("/answer")});
}

void TestFetch::failuresYieldEmptyText_data()
{
    QTest::addColumn<TestHttpAnswer>("answer");
    QTest::addColumn<QString>("charset");

    TestHttpAnswer cutOff = TestHttpAnswer::gbk(QStringLiteral("VIP用户"));
    cutOff.headers = {{"Content-Length", "1000"}, {"Connection", "close"}};
    QTest::newRow("connection closed before the whole body") << cutOff << kGb2312;
    QTest::newRow("redirect loop") << TestHttpAnswer::redirect(QStringLiteral("/answer")) << kGb2312;
    QTest::newRow("redirect to a refused host")
        << TestHttpAnswer::redirect(TestHttpServer::refusedBaseUrl() + QStringLiteral("/x")) << kGb2312;
    QTest::newRow("unknown charset") << TestHttpAnswer::gbk(QStringLiteral("VIP用户"))
                                     << QStringLiteral("no-such-charset");
}

void TestFetch::failuresYieldEmptyText()
{
    QFETCH(TestHttpAnswer, answer);
    QFETCH(QString, charset);
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/answer"), answer);

    const QString text = FetchUrlText(server.url(QStringLiteral("/answer")), charset);

    QVERIFY2(text.isEmpty(), qPrintable(text));
    QVERIFY(server.requestCount() >= 1);
}

void TestFetch::refusedConnectionYieldsEmptyText()
{
    QCOMPARE(FetchUrlText(TestHttpServer::refusedBaseUrl() + QStringLiteral("/user/denglu.asp?yh=a&pw=b"), kGb2312),
             QString());
    // Addresses that are not http(s) URLs are not fetched at all.
    QCOMPARE(FetchUrlText(QString(), kGb2312), QString());
    QCOMPARE(FetchUrlText(QStringLiteral("not a url"), kGb2312), QString());
    QCOMPARE(FetchUrlText(QStringLiteral("file:///etc/hostname"), kGb2312), QString());
    QCOMPARE(FetchUrlText(QStringLiteral("http:///nohost"), kGb2312), QString());
}

void TestFetch::silentServerTimesOut()
{
    SettingsOverride shortWait(withIdleTimeout(300));
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/user/denglu.asp"), TestHttpAnswer::silent());

    QElapsedTimer clock;
    clock.start();
    const QString text = FetchUrlText(server.url(QStringLiteral("/user/denglu.asp?yh=a&pw=b")), kGb2312);

    QCOMPARE(text, QString());
    QCOMPARE(server.requestCount(QStringLiteral("/user/denglu.asp")), 1);
    QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
    // Far below the 15 s default: the shortened setting is the one in force.
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
}

void TestFetch::slowButSteadyAnswerIsNotCutOff()
{
    SettingsOverride shortWait(withIdleTimeout(400));
    TestHttpServer server;
    TestHttpAnswer slow = TestHttpAnswer::text("0123456789");
    slow.trickleBytes = 2;
    slow.trickleMs = 150; // five pieces over 600 ms: longer than the time-out, never idle that long
    server.setAnswer(QStringLiteral("/slow"), slow);

    QCOMPARE(FetchUrlText(server.url(QStringLiteral("/slow")), kGb2312), QStringLiteral("0123456789"));
}

void TestFetch::quittingTheApplicationEndsAWaitingFetch()
{
    SettingsOverride longWait(withIdleTimeout(20000));
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/slow"), TestHttpAnswer::silent());
    QString text = QStringLiteral("not fetched");
    qint64 waited = -1;
    // The fetch runs in a handler of the application's own loop, as in the program.
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        QElapsedTimer clock;
        clock.start();
        text = FetchUrlText(server.url(QStringLiteral("/slow")), kGb2312);
        waited = clock.elapsed();
    });
    QTimer::singleShot(200, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });

    QCoreApplication::exec();

    QCOMPARE(text, QString());
    QVERIFY2(waited >= 0 && waited < 10000, qPrintable(QString::number(waited)));
}

void TestFetch::redirectIsFollowedToAnotherHost()
{
    TestHttpServer first;
    TestHttpServer second;
    first.setAnswer(QStringLiteral("/old"), TestHttpAnswer::redirect(QStringLiteral("/moved")));
    first.setAnswer(QStringLiteral("/moved"), TestHttpAnswer::redirect(second.url(QStringLiteral("/list?yh=a"))));
    second.setAnswer(QStringLiteral("/list"), TestHttpAnswer::gbk(QStringLiteral("湖南卫视")));

    QCOMPARE(FetchUrlText(first.url(QStringLiteral("/old")), kGb2312), QStringLiteral("湖南卫视"));
    QCOMPARE(first.requests(), (QStringList{QStringLiteral("/old"), QStringLiteral("/moved")}));
    QCOMPARE(second.requests(), QStringList{QStringLiteral("/list?yh=a")});
}

void TestFetch::oversizedBodyCountsAsFailure()
{
    TestHttpServer server;
    const qint64 limit = FetchSettings().maxBodyBytes;
    QCOMPARE(limit, qint64(16 * 1024 * 1024));
    server.setAnswer(QStringLiteral("/big"), TestHttpAnswer::text(QByteArray(limit + 1, 'a')));

    QCOMPARE(FetchUrlText(server.url(QStringLiteral("/big")), kGb2312), QString());
}

void TestFetch::bodyAtTheLimitIsKept()
{
    TestHttpServer server;
    const qint64 limit = FetchSettings().maxBodyBytes;
    QByteArray body(limit, 'a');
    body.back() = 'z';
    server.setAnswer(QStringLiteral("/big"), TestHttpAnswer::text(body));

    const QString text = FetchUrlText(server.url(QStringLiteral("/big")), kGb2312);

    QCOMPARE(text.size(), qsizetype(limit));
    QCOMPARE(text.back(), QLatin1Char('z'));
}

void TestFetch::bodyIsDecodedInTheCallersCharsetNotTheServers()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/a"), TestHttpAnswer::text(cp936::fromUnicode(QStringLiteral("广播")), 200,
                                                                "text/plain; charset=utf-8"));

    QCOMPARE(FetchUrlText(server.url(QStringLiteral("/a")), kGb2312), QStringLiteral("广播"));
}

void TestFetch::queryGoesOnTheWireAsGiven()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/user/denglu.asp?yh=%D5%C5%C8%FD&pw=a%26b%2Bc"),
                     TestHttpAnswer::gbk(QStringLiteral("VIP用户")));

    QCOMPARE(FetchUrlText(server.url(QStringLiteral("/user/denglu.asp?yh=%D5%C5%C8%FD&pw=a%26b%2Bc")), kGb2312),
             QStringLiteral("VIP用户"));
    QCOMPARE(server.lastRequest(), QStringLiteral("/user/denglu.asp?yh=%D5%C5%C8%FD&pw=a%26b%2Bc"));
}

void TestFetch::defaultTimeoutIsFifteenSeconds()
{
    QCOMPARE(FetchSettings().idleTimeoutMs, 15000);
    QCOMPARE(fetchSettings().idleTimeoutMs, 15000);
    {
        SettingsOverride shortWait(withIdleTimeout(10));
        QCOMPARE(fetchSettings().idleTimeoutMs, 10);
    }
    QCOMPARE(fetchSettings().idleTimeoutMs, 15000);
}

void TestFetch::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QString>("expected");

    const QByteArray vip = cp936::fromUnicode(QStringLiteral("VIP用户"));
    QCOMPARE(vip, QByteArray("VIP\xD3\xC3\xBB\xA7"));
    QTest::newRow("gb2312") << vip << QStringLiteral("gb2312") << QStringLiteral("VIP用户");
    QTest::newRow("GB2312 upper case") << vip << QStringLiteral("GB2312") << QStringLiteral("VIP用户");
    QTest::newRow("gbk") << vip << QStringLiteral("gbk") << QStringLiteral("VIP用户");
    QTest::newRow("GBK-only character under gb2312") << cp936::fromUnicode(QStringLiteral("澄屿"))
                                                     << QStringLiteral("gb2312") << QStringLiteral("澄屿");
    QTest::newRow("euro sign 0x80") << QByteArray("\x80") << QStringLiteral("gb2312") << QStringLiteral("€");
    QTest::newRow("utf-8") << QStringLiteral("卫视").toUtf8() << QStringLiteral("utf-8") << QStringLiteral("卫视");
    QTest::newRow("utf-8 cut off in a character") << QByteArray("ab\xE5\x8D") << QStringLiteral("utf-8")
                                                  << QStringLiteral("ab\uFFFD\uFFFD");
    QTest::newRow("empty bytes") << QByteArray() << QStringLiteral("gb2312") << QString();
    QTest::newRow("unknown charset") << vip << QStringLiteral("klingon") << QString();
    QTest::newRow("empty charset") << vip << QString() << QString();
    QTest::newRow("lone lead byte at the end") << QByteArray("ab\xD3") << QStringLiteral("gb2312")
                                               << QStringLiteral("ab\uFFFD");
    QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QStringLiteral("gb2312") << QStringView(u"a\u0000b", 3).toString();
}

void TestFetch::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, charset);
    QFETCH(QString, expected);

    QCOMPARE(DecodeResponseBytes(bytes, charset), expected);
}

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_fetch.moc"

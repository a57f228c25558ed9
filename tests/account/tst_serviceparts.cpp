#include "platform/codepage936.h"
#include "servicedata.h"
#include "servicerequest.h"
#include "servicerouter.h"
#include "tone.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using Pairs = QList<QPair<QString, QString>>;

// The pieces of the reference service that need no socket.
class TestServiceParts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parseQuery_data();
    void parseQuery();
    void loggedQuery_data();
    void loggedQuery();
    void parseList_data();
    void parseList();
    void parseAccounts();
    void signUpsAreCapped();
    void listTextMovesListedPagesOntoThePageHost();
    void loadReportsWhatIsMissing();
    void encodeHtml_data();
    void encodeHtml();
    void announcementBlock();
    void toneIsAPlayableWav();
    void routerAnswersOnlyGet();
};

void TestServiceParts::parseQuery_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<Pairs>("expected");

    QTest::newRow("plain") << QByteArray("yh=abc&pw=123") << Pairs{{"yh", "abc"}, {"pw", "123"}};
    QTest::newRow("code page 936 and reserved characters")
        << QByteArray("yh=%D5%C5%C8%FD&pw=a%26b%2Bc") << Pairs{{"yh", "张三"}, {"pw", "a&b+c"}};
    QTest::newRow("plus is a blank") << QByteArray("yh=a+b") << Pairs{{"yh", "a b"}};
    QTest::newRow("empty value") << QByteArray("yh=") << Pairs{{"yh", ""}};
    QTest::newRow("key without a value") << QByteArray("yh") << Pairs{{"yh", ""}};
    QTest::newRow("equals sign inside the value") << QByteArray("pw=a=b") << Pairs{{"pw", "a=b"}};
    QTest::newRow("empty items skipped") << QByteArray("&&yh=a&") << Pairs{{"yh", "a"}};
    QTest::newRow("broken escape kept") << QByteArray("yh=%G1") << Pairs{{"yh", "%G1"}};
    QTest::newRow("escape cut off at the end kept") << QByteArray("yh=%D5%C5%4") << Pairs{{"yh", "张%4"}};
    QTest::newRow("percent sign itself") << QByteArray("pw=100%25") << Pairs{{"pw", "100%"}};
}

void TestServiceParts::parseQuery()
{
    QFETCH(QByteArray, encoded);
    QFETCH(Pairs, expected);

    const ServiceRequest request = ServiceRequest::parse(QStringLiteral("GET"), QStringLiteral("/p"), encoded, true);

    QCOMPARE(request.query, expected);
    if (!expected.isEmpty()) {
        QCOMPARE(request.value(expected.first().first.toUpper()), expected.first().second);
        QVERIFY(request.has(expected.first().first));
    }
    QVERIFY(!request.has(QStringLiteral("other")));
    QCOMPARE(request.value(QStringLiteral("other")), QString());
}

void TestServiceParts::loggedQuery_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<bool>("hasQuery");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no query") << QByteArray() << false << "/user/yanzhen.asp";
    QTest::newRow("empty query") << QByteArray() << true << "/user/yanzhen.asp?";
    QTest::newRow("password masked") << QByteArray("yh=%D5%C5%C8%FD&pw=a%26b%2Bc") << true
                                     << "/user/yanzhen.asp?yh=张三&pw=***";
    QTest::newRow("password key in capitals masked") << QByteArray("PW=secret") << true << "/user/yanzhen.asp?PW=***";
    QTest::newRow("line break cannot forge a log line") << QByteArray("yh=a%0D%0Ahost1%20GET") << true
                                                        << "/user/yanzhen.asp?yh=a??host1 GET";
}

void TestServiceParts::loggedQuery()
{
    QFETCH(QByteArray, encoded);
    QFETCH(bool, hasQuery);
    QFETCH(QString, expected);

    const ServiceRequest request =
        ServiceRequest::parse(QStringLiteral("GET"), QStringLiteral("/user/yanzhen.asp"), encoded, hasQuery);

    QCOMPARE(request.logged(), expected);
    QVERIFY(!request.logged().contains(QStringLiteral("secret")));
}

void TestServiceParts::parseList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Pairs>("expected");

    QTest::newRow("CR LF with a final line break")
        << "湖南卫视\r\nhttp://a/1\r\nCCTV-1 综合\r\nhttp://a/2\r\n"
        << Pairs{{"湖南卫视", "http://a/1"}, {"CCTV-1 综合", "http://a/2"}};
    QTest::newRow("LF only") << "a\nu1\nb\nu2" << Pairs{{"a", "u1"}, {"b", "u2"}};
    QTest::newRow("unpaired last line dropped") << "a\r\nu1\r\nb" << Pairs{{"a", "u1"}};
    QTest::newRow("empty") << "" << Pairs{};
    QTest::newRow("blank pair skipped") << "a\r\nu1\r\n\r\n\r\nb\r\nu2" << Pairs{{"a", "u1"}, {"b", "u2"}};
}

void TestServiceParts::parseList()
{
    QFETCH(QString, text);
    QFETCH(Pairs, expected);

    Pairs actual;
    for (const ServiceChannel &channel : ServiceData::parseList(text))
        actual.append({channel.name, channel.url});
    QCOMPARE(actual, expected);
}

void TestServiceParts::parseAccounts()
{
    const QList<ServiceAccount> accounts = ServiceData::parseAccounts(
        QStringLiteral("# comment\n\nvip 123 vip\n  张三\ta&b+c   VIP \r\ndemo 1 ordinary\nbroken line\nx y other\n"));

    QCOMPARE(accounts.size(), 4);
    QCOMPARE(accounts.at(0).name, QStringLiteral("vip"));
    QCOMPARE(accounts.at(0).password, QStringLiteral("123"));
    QVERIFY(accounts.at(0).vip);
    QCOMPARE(accounts.at(1).name, QStringLiteral("张三"));
    QCOMPARE(accounts.at(1).password, QStringLiteral("a&b+c"));
    QVERIFY(accounts.at(1).vip);
    QVERIFY(!accounts.at(2).vip);
    QVERIFY(!accounts.at(3).vip); // an unknown grade is ordinary
}

void TestServiceParts::signUpsAreCapped()
{
    ServiceData data;
    for (int i = 0; i < ServiceData::kMaxSignUps; ++i)
        QCOMPARE(data.addAccount({QString::number(i), QStringLiteral("p"), false}), ServiceData::SignUp::Added);

    QCOMPARE(data.addAccount({QStringLiteral("one more"), QStringLiteral("p"), false}), ServiceData::SignUp::Full);
    QCOMPARE(data.addAccount({QStringLiteral("7"), QStringLiteral("p"), false}), ServiceData::SignUp::Taken);
    QCOMPARE(data.accountCount(), ServiceData::kMaxSignUps);
    QVERIFY(!data.account(QStringLiteral("one more")));
}

void TestServiceParts::listTextMovesListedPagesOntoThePageHost()
{
    ServiceData data;
    data.setTv({{QStringLiteral("湖南卫视"), QStringLiteral("http://127.0.0.1:8801/play/tv/1")},
                {QStringLiteral("外站"), QStringLiteral("http://example.invalid/x")},
                {QStringLiteral("相似前缀"), QStringLiteral("http://127.0.0.1:88011/y")}});
    const QString moved = QStringLiteral("湖南卫视\r\nhttp://127.0.0.1:9000/play/tv/1\r\n外站\r\nhttp://example.invalid/x"
                                         "\r\n相似前缀\r\nhttp://127.0.0.1:88011/y");

    QCOMPARE(data.listText(data.tv()), QString(moved).replace(QStringLiteral(":9000"), QStringLiteral(":8801")));
    data.setPageBase(QStringLiteral("http://127.0.0.1:9000"));
    QCOMPARE(data.listText(data.tv()), moved);
    QCOMPARE(data.listText({}), QString());
}

void TestServiceParts::loadReportsWhatIsMissing()
{
    ServiceData data;
    QString error;
    QVERIFY(!data.load(QStringLiteral("/nonexistent/folder"), &error));
    QVERIFY(error.contains(QStringLiteral("/nonexistent/folder")));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("lists")));
    QFile tv(dir.filePath(QStringLiteral("lists/dianshibiao.ini")));
    QVERIFY(tv.open(QIODevice::WriteOnly));
    tv.write(cp936::fromUnicode(QStringLiteral("湖南卫视\r\nhttp://127.0.0.1:8801/play/tv/1\r\n")));
    tv.close();
    QStringList warnings;
    QVERIFY(data.load(dir.path(), &error, &warnings));
    QCOMPARE(data.tv().size(), 1);
    QCOMPARE(data.tv().first().name, QStringLiteral("湖南卫视"));
    QVERIFY(data.radio().isEmpty());
    QCOMPARE(data.accountCount(), 0);
    QCOMPARE(warnings.size(), 2);
}

void TestServiceParts::encodeHtml_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ascii") << "<p>a&amp;b</p>" << QByteArray("<p>a&amp;b</p>");
    QTest::newRow("chinese as code page 936") << "卫视" << QByteArray("\xCE\xC0\xCA\xD3");
    QTest::newRow("euro sign is in the code page") << "€" << QByteArray("\x80");
    QTest::newRow("character outside the code page") << "a\u20A9b" << QByteArray("a&#8361;b");
    QTest::newRow("character outside the basic plane") << "😀" << QByteArray("&#128512;");
}

void TestServiceParts::encodeHtml()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, expected);

    QCOMPARE(servicepages::encodeHtml(html), expected);
}

void TestServiceParts::announcementBlock()
{
    QCOMPARE(servicepages::announcementBlock({{"A", "u1"}, {"B", "u2"}}), QStringLiteral("$$$*A*u1*B*u2*$$$"));
}

void TestServiceParts::toneIsAPlayableWav()
{
    const QByteArray wav = toneWav(stationRootHz(1));

    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 22), quint16(1)); // mono
    const quint32 rate = qFromLittleEndian<quint32>(wav.constData() + 24);
    QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(wav.size() - 44));
    QCOMPARE(double(wav.size() - 44) / 2 / rate, 2.0);
    // The sound starts and ends silent, so the loop does not click, and is not silent between.
    QCOMPARE(qFromLittleEndian<qint16>(wav.constData() + 44), qint16(0));
    QCOMPARE(qFromLittleEndian<qint16>(wav.constData() + wav.size() - 2), qint16(0));
    qint16 loudest = 0;
    for (qsizetype i = 44; i + 1 < wav.size(); i += 2)
        loudest = qMax(loudest, qFromLittleEndian<qint16>(wav.constData() + i));
    QVERIFY(loudest > 5000);

    QVERIFY(stationRootHz(1) != stationRootHz(2));
    QCOMPARE(stationRootHz(1), stationRootHz(8));
    QVERIFY(stationRootHz(0) > 0);
}

void TestServiceParts::routerAnswersOnlyGet()
{
    ServiceData data;
    ServiceRouter router(data);

    const ServiceAnswer post = router.answer(ServiceRequest::parse(QStringLiteral("POST"), QStringLiteral("/user/denglu.asp"), {}, false));
    const ServiceAnswer get = router.answer(ServiceRequest::parse(QStringLiteral("GET"), QStringLiteral("/USER/DENGLU.ASP"), {}, false));

    QCOMPARE(post.status, 405);
    QCOMPARE(get.status, 200);
    QCOMPARE(cp936::toUnicode(get.body), QStringLiteral("账号或者密码错误"));
    QCOMPARE(get.contentType, QByteArray("text/plain; charset=gb2312"));
}

QTEST_GUILESS_MAIN(TestServiceParts)
#include "tst_serviceparts.moc"

#include "account/endpoints.h"

#include <QTest>

class TestEndpoints : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encodeQueryValue_data();
    void encodeQueryValue();
    void endpoints_data();
    void endpoints();
    void trailingSlashOfAHostIsDropped();
};

void TestEndpoints::encodeQueryValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letters and digits unchanged") << QStringLiteral("abcXYZ019") << QStringLiteral("abcXYZ019");
    QTest::newRow("unreserved marks unchanged") << QStringLiteral("a-b_c.d~e") << QStringLiteral("a-b_c.d~e");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("password a&b+c") << QStringLiteral("a&b+c") << QStringLiteral("a%26b%2Bc");
    QTest::newRow("hash percent equals question")
        << QStringLiteral("#%=?") << QStringLiteral("%23%25%3D%3F");
    QTest::newRow("space and slash") << QStringLiteral("a b/c") << QStringLiteral("a%20b%2Fc");
    QTest::newRow("quotes, angle brackets, star") << QStringLiteral("\"<'*>")
                                                  << QStringLiteral("%22%3C%27%2A%3E");
    QTest::newRow("control characters") << QStringLiteral("\t\r\n") << QStringLiteral("%09%0D%0A");
    QTest::newRow("chinese name as code page 936") << QStringLiteral("张三") << QStringLiteral("%D5%C5%C8%FD");
    QTest::newRow("trail byte in the ASCII range encoded too") << QStringLiteral("丂")
                                                               << QStringLiteral("%81%40");
    QTest::newRow("mixed") << QStringLiteral("李a四&1") << QStringLiteral("%C0%EEa%CB%C4%261");
    QTest::newRow("euro sign") << QStringLiteral("€") << QStringLiteral("%80");
    QTest::newRow("fullwidth colon") << QStringLiteral("：") << QStringLiteral("%A3%BA");
    QTest::newRow("character outside the code page") << QStringLiteral("a😀b") << QStringLiteral("a%3Fb");
    QTest::newRow("zero-width space, which the converter would drop") << QStringLiteral("a\u200Bb")
                                                                       << QStringLiteral("a%3Fb");
    QTest::newRow("byte order mark and a lone surrogate") << QStringLiteral("\uFEFFx") + QChar(char16_t(0xD800))
                                                          << QStringLiteral("%3Fx%3F");
}

void TestEndpoints::encodeQueryValue()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);

    QCOMPARE(::encodeQueryValue(value), expected);
}

void TestEndpoints::endpoints_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");

    const Endpoints e(ServiceHosts{QStringLiteral("http://h1:81"), QStringLiteral("http://h2:82")});
    QTest::newRow("login") << e.login(QStringLiteral("abc"), QStringLiteral("123"))
                           << QStringLiteral("http://h1:81/user/denglu.asp?yh=abc&pw=123");
    QTest::newRow("login, reserved and chinese")
        << e.login(QStringLiteral("张三"), QStringLiteral("a&b+c"))
        << QStringLiteral("http://h1:81/user/denglu.asp?yh=%D5%C5%C8%FD&pw=a%26b%2Bc");
    QTest::newRow("login, empty values") << e.login(QString(), QString())
                                         << QStringLiteral("http://h1:81/user/denglu.asp?yh=&pw=");
    QTest::newRow("verification") << e.verification(QStringLiteral("abc"))
                                  << QStringLiteral("http://h1:81/user/yanzhen.asp?yh=abc");
    QTest::newRow("verification guest") << e.verificationGuest()
                                        << QStringLiteral("http://h1:81/user/yanzhen.asp?yh=guest");
    QTest::newRow("verification plain") << e.verificationPlain() << QStringLiteral("http://h1:81/user/yanzhen.asp");
    QTest::newRow("verification host 2") << e.verificationHost2(QStringLiteral("abc"))
                                         << QStringLiteral("http://h2:82/user/yanzhen.asp?yh=abc");
    QTest::newRow("tv list host 2") << e.tvList(Endpoints::Host2, QStringLiteral("abc"))
                                    << QStringLiteral("http://h2:82/user/jiemubiao.asp?yh=abc");
    QTest::newRow("tv list host 1, no name") << e.tvList(Endpoints::Host1, QString())
                                             << QStringLiteral("http://h1:81/user/jiemubiao.asp?yh=");
    QTest::newRow("radio list host 2") << e.radioList(Endpoints::Host2, QStringLiteral("a b"))
                                       << QStringLiteral("http://h2:82/user/diantaibiao.asp?yh=a%20b");
    QTest::newRow("radio list host 1") << e.radioList(Endpoints::Host1, QStringLiteral("abc"))
                                       << QStringLiteral("http://h1:81/user/diantaibiao.asp?yh=abc");
    QTest::newRow("account page") << e.accountPage(QStringLiteral("abc"))
                                  << QStringLiteral("http://h1:81/user/Download2.asp?yh=abc");
    QTest::newRow("account page, no name") << e.accountPage(QString())
                                           << QStringLiteral("http://h1:81/user/Download2.asp?yh=");
    QTest::newRow("sign-up") << e.signUp() << QStringLiteral("http://h1:81/user/reg.asp");
}

void TestEndpoints::endpoints()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);

    QCOMPARE(url, expected);
}

void TestEndpoints::trailingSlashOfAHostIsDropped()
{
    const Endpoints e(ServiceHosts{QStringLiteral("http://h1/"), QStringLiteral("http://h2//")});

    QCOMPARE(e.signUp(), QStringLiteral("http://h1/user/reg.asp"));
    QCOMPARE(e.tvList(Endpoints::Host2, QStringLiteral("x")), QStringLiteral("http://h2/user/jiemubiao.asp?yh=x"));
    QCOMPARE(e.hosts().host1, QStringLiteral("http://h1"));
}

QTEST_GUILESS_MAIN(TestEndpoints)
#include "tst_endpoints.moc"

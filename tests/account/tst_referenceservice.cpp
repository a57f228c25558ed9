#include "account/endpoints.h"
#include "account/fetch.h"
#include "player/streamurl.h"
#include "servicedata.h"
#include "servicehost.h"
#include "servicerouter.h"
#include "tone.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {

const QString kGb2312 = QStringLiteral("gb2312");

struct Announcement
{
    QStringList titles;
    QStringList urls;
};

// The block between the first "$$$*" and the first "*$$$" after it, split into pairs.
std::optional<Announcement> announcementOf(const QString &page)
{
    const qsizetype start = page.indexOf(QStringLiteral("$$$*"));
    const qsizetype end = start < 0 ? -1 : page.indexOf(QStringLiteral("*$$$"), start + 4);
    if (end < 0)
        return std::nullopt;
    const QStringList fields = page.mid(start + 4, end - start - 4).split(QLatin1Char('*'));
    if (fields.size() % 2)
        return std::nullopt;
    Announcement announcement;
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        announcement.titles << fields.at(i);
        announcement.urls << fields.at(i + 1);
    }
    return announcement;
}

} // namespace

// The reference service, asked through the client's own fetch.
class TestReferenceService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void login_data();
    void login();
    void loginIsLoggedWithThePasswordMasked();
    void verificationPages_data();
    void verificationPages();
    void verificationPageEscapesTheName_data();
    void verificationPageEscapesTheName();
    void longLogLinesAreCut();
    void lists_data();
    void lists();
    void everyListedChannelPlays_data();
    void everyListedChannelPlays();
    void accountPage();
    void signUpAddsAnAccount();
    void unknownAddressesAnswer404();

private:
    QString fetch(const QString &url) const { return FetchUrlText(url, kGb2312); }

    ServiceData m_data;
    std::unique_ptr<ServiceRouter> m_router;
    std::unique_ptr<ServiceHost> m_host1;
    std::unique_ptr<ServiceHost> m_host2;
    std::unique_ptr<Endpoints> m_endpoints;
    QStringList m_log;
};

void TestReferenceService::initTestCase()
{
    QString error;
    QVERIFY2(m_data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error), qPrintable(error));
    m_router = std::make_unique<ServiceRouter>(m_data);
    m_host1 = std::make_unique<ServiceHost>(1, *m_router);
    m_host2 = std::make_unique<ServiceHost>(2, *m_router);
    QVERIFY(m_host1->start(0));
    QVERIFY(m_host2->start(0));
    m_data.setPageBase(m_host1->baseUrl());
    for (ServiceHost *host : {m_host1.get(), m_host2.get()})
        connect(host, &ServiceHost::answered, this, [this](const QString &line) { m_log << line; });
    m_endpoints = std::make_unique<Endpoints>(ServiceHosts{m_host1->baseUrl(), m_host2->baseUrl()});
}

void TestReferenceService::init() { m_log.clear(); }

void TestReferenceService::login_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("answerStart");

    QTest::newRow("vip account") << "vip" << "123456" << "VIP用户";
    QTest::newRow("ordinary account") << "demo" << "123456" << "普通用户";
    QTest::newRow("chinese name, reserved characters in the password") << "张三" << "a&b+c" << "VIP用户";
    QTest::newRow("password cut at the ampersand") << "张三" << "a" << "账号或者密码错误";
    QTest::newRow("wrong password") << "vip" << "654321" << "账号或者密码错误";
    QTest::newRow("password of another account") << "vip" << "888888" << "账号或者密码错误";
    QTest::newRow("unknown account") << "nobody" << "123456" << "账号或者密码错误";
    QTest::newRow("empty name and password") << "" << "" << "账号或者密码错误";
    QTest::newRow("name differs in case") << "VIP" << "123456" << "账号或者密码错误";
}

void TestReferenceService::login()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, answerStart);

    const QString answer = fetch(m_endpoints->login(name, password));

    QVERIFY2(answer.startsWith(answerStart), qPrintable(answer));
    QCOMPARE(answer.contains(QStringLiteral("VIP用户")), answerStart == u"VIP用户");
    QCOMPARE(answer.contains(QStringLiteral("普通用户")), answerStart == u"普通用户");
}

void TestReferenceService::loginIsLoggedWithThePasswordMasked()
{
    fetch(m_endpoints->login(QStringLiteral("张三"), QStringLiteral("a&b+c")));

    QCOMPARE(m_log, QStringList{QStringLiteral("host1 GET /user/denglu.asp?yh=张三&pw=*** 200")});
}

void TestReferenceService::verificationPages_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<QString>("gradeItem");
    QTest::addColumn<int>("host");

    QTest::newRow("vip account") << m_endpoints->verification(QStringLiteral("vip")) << "VIP用户" << "VIP专区" << 1;
    QTest::newRow("ordinary account") << m_endpoints->verification(QStringLiteral("demo")) << "普通用户" << "升级VIP"
                                      << 1;
    QTest::newRow("guest") << m_endpoints->verificationGuest() << "欢迎试用" << "用户注册" << 1;
    QTest::newRow("without a query") << m_endpoints->verificationPlain() << "账号登陆" << "用户注册" << 1;
    QTest::newRow("host 2, ordinary account") << m_endpoints->verificationHost2(QStringLiteral("李四")) << "普通用户"
                                              << "升级VIP" << 2;
    QTest::newRow("unregistered name") << m_endpoints->verification(QStringLiteral("王五")) << "尚未注册" << "用户注册"
                                       << 1;
}

void TestReferenceService::verificationPages()
{
    QFETCH(QString, url);
    QFETCH(QString, greeting);
    QFETCH(QString, gradeItem);
    QFETCH(int, host);

    const QString page = fetch(url);

    QVERIFY2(page.contains(greeting), qPrintable(page));
    const std::optional<Announcement> block = announcementOf(page);
    QVERIFY(block);
    QCOMPARE(block->titles.size(), 3);
    QCOMPARE(block->titles.at(0), QStringLiteral("节目预告"));
    QCOMPARE(block->titles.at(1), gradeItem);
    QCOMPARE(block->titles.at(2), QStringLiteral("使用帮助"));
    QCOMPARE(m_log.size(), 1);
    QVERIFY2(m_log.first().startsWith(QStringLiteral("host%1 GET /user/yanzhen.asp").arg(host)), qPrintable(m_log.first()));
    // Every link points at a page of this service that answers with content.
    for (const QString &link : block->urls) {
        QVERIFY2(link.startsWith(m_host1->baseUrl() + QLatin1Char('/')), qPrintable(link));
        m_log.clear();
        const QString target = fetch(link);
        QVERIFY2(!target.isEmpty() && !target.contains(QStringLiteral("404")), qPrintable(link));
        QVERIFY2(m_log.size() == 1 && m_log.first().endsWith(QStringLiteral(" 200")), qPrintable(m_log.join(u'|')));
    }
}

void TestReferenceService::verificationPageEscapesTheName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");

    QTest::newRow("markup") << "<b>x</b>" << "&lt;b&gt;x&lt;/b&gt;";
    QTest::newRow("a whole announcement block") << "$$$*假*http://x*$$$" << "＄＄＄＊假＊http://x＊＄＄＄";
    QTest::newRow("a block start") << "vip$$$*" << "vip＄＄＄＊";
    QTest::newRow("an end marker") << "*$$$" << "＊＄＄＄";
}

void TestReferenceService::verificationPageEscapesTheName()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);

    const QString page = fetch(m_endpoints->verification(name));

    QVERIFY2(page.contains(shown), qPrintable(page));
    QCOMPARE(page.count(QStringLiteral("$$$*")), 1);
    QCOMPARE(page.count(QStringLiteral("*$$$")), 1);
    const std::optional<Announcement> block = announcementOf(page);
    QVERIFY(block);
    QCOMPARE(block->titles, QStringList({QStringLiteral("节目预告"), QStringLiteral("用户注册"), QStringLiteral("使用帮助")}));
}

void TestReferenceService::longLogLinesAreCut()
{
    fetch(m_endpoints->verification(QString(3000, QLatin1Char('x'))));

    QCOMPARE(m_log.size(), 1);
    QCOMPARE(m_log.first().size(), ServiceHost::LogLineLimit);
    QVERIFY(m_log.first().startsWith(QStringLiteral("host1 GET /user/yanzhen.asp?yh=xxx")));
}

void TestReferenceService::lists_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("playPath");

    QTest::newRow("tv, host 2") << m_endpoints->tvList(Endpoints::Host2, QStringLiteral("vip")) << "卫视" << "湖南卫视"
                                << "/play/tv/";
    QTest::newRow("tv, host 1, no name") << m_endpoints->tvList(Endpoints::Host1, QString()) << "卫视" << "湖南卫视"
                                         << "/play/tv/";
    QTest::newRow("radio, host 2") << m_endpoints->radioList(Endpoints::Host2, QStringLiteral("demo")) << "广播"
                                   << "中国之声 广播" << "/play/radio/";
    QTest::newRow("radio, host 1") << m_endpoints->radioList(Endpoints::Host1, QStringLiteral("张三")) << "广播"
                                   << "中国之声 广播" << "/play/radio/";
}

void TestReferenceService::lists()
{
    QFETCH(QString, url);
    QFETCH(QString, marker);
    QFETCH(QString, firstName);
    QFETCH(QString, playPath);

    const QString text = fetch(url);

    QVERIFY(text.contains(marker));
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
    QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size() % 2, 0);
    QVERIFY(lines.size() >= 12);
    QCOMPARE(lines.first(), firstName);
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        QVERIFY2(!lines.at(i).startsWith(QStringLiteral("http")), qPrintable(lines.at(i)));
        // The demo lists name port 8801; the service moves them onto the host that serves the pages.
        const QString listed = lines.at(i + 1);
        QVERIFY2(listed.startsWith(m_host1->baseUrl() + QLatin1Char('/')), qPrintable(listed));
        if (!streamurl::isStream(listed))
            QCOMPARE(listed, m_host1->baseUrl() + playPath + QString::number(i / 2 + 1));
    }
}

void TestReferenceService::everyListedChannelPlays_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("radio");

    for (bool radio : {false, true}) {
        const QString text = fetch(radio ? m_endpoints->radioList(Endpoints::Host1, QString())
                                         : m_endpoints->tvList(Endpoints::Host1, QString()));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
            // The stream channels are played by the stream player's own tests.
            if (!streamurl::isStream(lines.at(i + 1)))
                QTest::newRow(qPrintable(lines.at(i))) << lines.at(i) << lines.at(i + 1) << radio;
        }
    }
}

void TestReferenceService::everyListedChannelPlays()
{
    QFETCH(QString, name);
    QFETCH(QString, url);
    QFETCH(bool, radio);

    const QString page = fetch(url);

    QVERIFY2(page.contains(QStringLiteral("<title>%1</title>").arg(name.toHtmlEscaped())), qPrintable(page.left(300)));
    QVERIFY(page.contains(QStringLiteral("<canvas")));
    QVERIFY(page.contains(QStringLiteral("requestAnimationFrame")));
    if (!radio)
        return;
    static const QRegularExpression source(QStringLiteral("<audio id=\"sound\" src=\"(/tone/radio/\\d+\\.wav)\""));
    const QRegularExpressionMatch match = source.match(page);
    QVERIFY(match.hasMatch());
    const QString wav = FetchUrlText(m_host1->baseUrl() + match.captured(1), QStringLiteral("ISO-8859-1"));
    QVERIFY(wav.startsWith(QStringLiteral("RIFF")));
    QCOMPARE(wav.mid(8, 8), QStringLiteral("WAVEfmt "));
    QVERIFY(wav.size() > 22050); // about two seconds of sound, not an empty file
}

void TestReferenceService::accountPage()
{
    const QString vip = fetch(m_endpoints->accountPage(QStringLiteral("vip")));
    QVERIFY(vip.contains(QStringLiteral("<b>vip</b>")));
    QVERIFY(vip.contains(QStringLiteral("VIP用户")));
    QVERIFY(vip.contains(QStringLiteral("湖南卫视")));
    QVERIFY(vip.contains(m_host1->baseUrl() + QStringLiteral("/play/radio/1")));

    const QString nobody = fetch(m_endpoints->accountPage(QString()));
    QVERIFY(nobody.contains(QStringLiteral("尚未登录")));
    QVERIFY(!nobody.contains(QStringLiteral("VIP用户")));
}

void TestReferenceService::signUpAddsAnAccount()
{
    const QString form = fetch(m_endpoints->signUp());
    QVERIFY(form.contains(QStringLiteral("<form")));
    QVERIFY(form.contains(QStringLiteral("name=\"yh\"")));
    QVERIFY(form.contains(QStringLiteral("name=\"pw\"")));
    QCOMPARE(fetch(m_endpoints->login(QStringLiteral("赵六"), QStringLiteral("x&y=1"))), QStringLiteral("账号或者密码错误"));

    const QString base = m_endpoints->signUp() + QStringLiteral("?yh=") + encodeQueryValue(QStringLiteral("赵六"));
    const QString done = fetch(base + QStringLiteral("&pw=") + encodeQueryValue(QStringLiteral("x&y=1")));
    QVERIFY2(done.contains(QStringLiteral("注册成功")), qPrintable(done));
    QVERIFY(fetch(m_endpoints->login(QStringLiteral("赵六"), QStringLiteral("x&y=1"))).startsWith(QStringLiteral("普通用户")));

    QVERIFY(fetch(base + QStringLiteral("&pw=other")).contains(QStringLiteral("已存在")));
    QVERIFY(fetch(m_endpoints->signUp() + QStringLiteral("?yh=guest&pw=1")).contains(QStringLiteral("guest")));
    QVERIFY(fetch(m_endpoints->signUp() + QStringLiteral("?yh=a&pw=")).contains(QStringLiteral("都要填写")));
    QVERIFY(m_log.contains(QStringLiteral("host1 GET /user/reg.asp?yh=赵六&pw=*** 200")));
}

void TestReferenceService::unknownAddressesAnswer404()
{
    for (const QString &path : {QStringLiteral("/nothing"), QStringLiteral("/play/tv/999"), QStringLiteral("/play/tv/x"),
                                QStringLiteral("/tone/radio/0.wav"), QStringLiteral("/notice/none")}) {
        m_log.clear();
        QVERIFY(fetch(m_host2->baseUrl() + path).contains(QStringLiteral("404 页面不存在")));
        QCOMPARE(m_log, QStringList{QStringLiteral("host2 GET %1 404").arg(path)});
    }
}

QTEST_GUILESS_MAIN(TestReferenceService)
#include "tst_referenceservice.moc"

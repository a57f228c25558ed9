#include "directory/announcementmenu.h"
#include "directory/startupschedule.h"
#include "pageserver.h"
#include "webview/enginewebview.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kLoadTimeout = 20000;

QByteArray page(const QString &body)
{
    return "<html><head><meta charset=\"utf-8\"><title>t</title></head><body>" + body.toUtf8() + "</body></html>";
}

// Two real views, six actions and the menu over them.
struct Rig
{
    QAction actions[6];
    QAction *n[6] = {&actions[0], &actions[1], &actions[2], &actions[3], &actions[4], &actions[5]};
    EngineWebView main;
    EngineWebView notice;
    AnnouncementMenu menu{n};

    // Wired as the main window wires them.
    Rig()
    {
        QObject::connect(&notice, &WebView::DownloadComplete, &menu,
                         [this] { menu.WebBrowser2_DownloadComplete(notice.BodyText()); });
        QObject::connect(&menu, &AnnouncementMenu::openInPlayer, &main, &EngineWebView::Navigate);
    }

    QStringList captions() const
    {
        QStringList out;
        for (const QAction &a : actions)
            out.append(a.text());
        return out;
    }
    bool loadNotice(const QString &url)
    {
        QSignalSpy done(&notice, &WebView::DownloadComplete);
        notice.Navigate(url);
        return done.wait(kLoadTimeout) || !done.isEmpty();
    }
};

} // namespace

class TestAnnouncementsEngine : public QObject
{
    Q_OBJECT
private:
    PageServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        const QString one = m_server.url("/one");
        const QString two = m_server.url("/two");
        m_server.pages["/notice"] =
            page("<p>通知</p><div>$$$*<b>新节目</b>*" + one + "*B*" + two + "* *" + one + "*D*" + two + "*$$$</div>"
                 "<p>尾</p>");
        m_server.pages["/one"] = page("one");
        m_server.pages["/two"] = page("two");
        m_server.pages["/startonly"] = page("$$$*X*" + one + "*Y*" + two);
        m_server.pages["/user/yanzhen.asp"] = page("验证 $$$*公告*" + two + "*$$$");
        m_server.pages["/user/Download2.asp?yh="] = page("account");
    }

    void blockFromARealPageFillsTheMenu()
    {
        Rig rig;
        QVERIFY(rig.loadNotice(m_server.url("/notice")));
        QCOMPARE(rig.captions(), (QStringList{"1.新节目", "2.B", "", "4.D", "", ""}));
        QCOMPARE(rig.menu.NoticeFields().size(), 8);

        const int asked = m_server.requested.count("/two");
        QSignalSpy mainDone(&rig.main, &WebView::DownloadComplete);
        rig.actions[1].trigger();
        QVERIFY(mainDone.wait(kLoadTimeout) || !mainDone.isEmpty());
        QCOMPARE(rig.main.LocationURL(), m_server.url("/two"));
        QCOMPARE(rig.main.BodyText().value_or(QString()), QStringLiteral("two"));
        QCOMPARE(m_server.requested.count("/two"), asked + 1);
    }

    void pagesWithoutACompleteBlockChangeNothing()
    {
        Rig rig;
        QVERIFY(rig.loadNotice(m_server.url("/notice")));
        const QStringList captions = rig.captions();
        const QStringList fields = rig.menu.NoticeFields();
        for (const QString &url : {QStringLiteral("about:blank"), m_server.url("/startonly"), m_server.url("/one")}) {
            QVERIFY2(rig.loadNotice(url), qPrintable(url));
            QCOMPARE(rig.captions(), captions);
            QCOMPARE(rig.menu.NoticeFields(), fields);
        }
    }

    void firstTicksWithoutAnAccount()
    {
        QTemporaryDir dir;
        for (const char *name : {"dianshibiao.ini", "diantaibiao.ini"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Rig rig;
        QLineEdit text3;
        const SavedCredentials noAccount;
        StartupSchedule schedule(&text3, dir.filePath(QStringLiteral("dianshibiao.ini")),
                                 dir.filePath(QStringLiteral("diantaibiao.ini")), noAccount,
                                 Endpoints(ServiceHosts{m_server.base(), QString()}));
        QObject::connect(&schedule, &StartupSchedule::openInPlayer, &rig.main, &EngineWebView::Navigate);
        QObject::connect(&schedule, &StartupSchedule::openInNotice, &rig.notice, &EngineWebView::Navigate);
        QSignalSpy noticeDone(&rig.notice, &WebView::DownloadComplete);
        schedule.Timer1_Timer();
        QVERIFY(noticeDone.wait(kLoadTimeout) || !noticeDone.isEmpty());
        QVERIFY(m_server.requested.contains("/user/yanzhen.asp"));
        QCOMPARE(rig.captions(), (QStringList{"1.公告", "", "", "", "", ""}));

        QSignalSpy mainDone(&rig.main, &WebView::DownloadComplete);
        for (int tick = 2; tick <= 4; ++tick)
            schedule.Timer1_Timer();
        QVERIFY(mainDone.wait(kLoadTimeout) || !mainDone.isEmpty());
        QVERIFY(m_server.requested.contains("/user/Download2.asp?yh="));
        QCOMPARE(rig.main.BodyText().value_or(QString()), QStringLiteral("account"));
    }
};

QTEST_MAIN(TestAnnouncementsEngine)
#include "tst_announcementsengine.moc"

#include "directory/announcementmenu.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

RecordingWebView *rec(WebView *view) { return static_cast<RecordingWebView *>(view); }

// Six menu actions, the two views and the menu object over them.
struct Rig
{
    QAction actions[6];
    QAction *n[6] = {&actions[0], &actions[1], &actions[2], &actions[3], &actions[4], &actions[5]};
    RecordingWebView main;
    RecordingWebView notice;
    AnnouncementMenu menu{n};

    // Wired as the main window wires them.
    Rig()
    {
        QObject::connect(&notice, &WebView::DownloadComplete, &menu,
                         [this] { menu.WebBrowser2_DownloadComplete(notice.BodyText()); });
        QObject::connect(&menu, &AnnouncementMenu::openInPlayer, &main, &RecordingWebView::Navigate);
    }

    QStringList captions() const
    {
        QStringList out;
        for (const QAction &a : actions)
            out.append(a.text());
        return out;
    }
    // What a click on each item opens in the main view ("" for nothing).
    QStringList clickTargets()
    {
        QStringList out;
        for (QAction &a : actions) {
            const int before = main.navigations.size();
            a.trigger();
            out.append(main.navigations.size() > before ? main.lastNavigation() : QString());
        }
        return out;
    }
    void load(const std::optional<QString> &body) { notice.finishLoad(body); }
};

const QStringList kSixOld{"1.a", "2.b", "3.c", "4.d", "5.e", "6.f"};
const QString kSixOldPage = QStringLiteral("$$$*a*ua*b*ub*c*uc*d*ud*e*ue*f*uf*$$$");
const QStringList kSixOldLinks{"ua", "ub", "uc", "ud", "ue", "uf"};
const QStringList kSixOldFields{"a", "ua", "b", "ub", "c", "uc", "d", "ud", "e", "ue", "f", "uf"};

} // namespace

class TestAnnouncementMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each row: a first page, then a second page; what the menu shows and
    // opens after the second.
    void pages_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QStringList>("fields");
        const QStringList six = {"", "", "", "", "", ""};

        QTest::newRow("two pairs on fresh items")
            << QString() << QStringLiteral("top $$$*A*u1*B*u2*$$$ bottom")
            << QStringList{"1.A", "2.B", "", "", "", ""} << QStringList{"u1", "u2", "", "", "", ""}
            << QStringList{"A", "u1", "B", "u2"};
        QTest::newRow("pair with a single-space title")
            << QString() << QStringLiteral("$$$*A*u1*B*u2* *u3*D*u4*$$$")
            << QStringList{"1.A", "2.B", "", "4.D", "", ""} << QStringList{"u1", "u2", "", "u4", "", ""}
            << QStringList{"A", "u1", "B", "u2", " ", "u3", "D", "u4"};
        QTest::newRow("exactly one pair over six old items")
            << kSixOldPage << QStringLiteral("$$$*Z*uz*$$$")
            << QStringList{"1.Z", "2.b", "3.c", "4.d", "5.e", "6.f"}
            << QStringList{"uz", "ub", "uc", "ud", "ue", "uf"} << QStringList{"Z", "uz"};
        QTest::newRow("title keeps its spaces")
            << QString() << QStringLiteral("$$$*  A  *u1*$$$")
            << QStringList{"1.  A  ", "", "", "", "", ""} << QStringList{"u1", "", "", "", "", ""}
            << QStringList{"  A  ", "u1"};
        QTest::newRow("url opened verbatim")
            << QString() << QStringLiteral("$$$*A* http://h/x?a=1&b=2 *$$$")
            << QStringList{"1.A", "", "", "", "", ""} << QStringList{" http://h/x?a=1&b=2 ", "", "", "", "", ""}
            << QStringList{"A", " http://h/x?a=1&b=2 "};
        QStringList eight;
        for (int k = 1; k <= 8; ++k)
            eight << QStringLiteral("T%1").arg(k) << QStringLiteral("u%1").arg(k);
        QTest::newRow("more than six pairs")
            << QString() << QStringLiteral("$$$*") + eight.join(QLatin1Char('*')) + QStringLiteral("*$$$")
            << QStringList{"1.T1", "2.T2", "3.T3", "4.T4", "5.T5", "6.T6"}
            << QStringList{"u1", "u2", "u3", "u4", "u5", "u6"} << eight;
        QTest::newRow("only the start marker")
            << kSixOldPage << QStringLiteral("$$$*Z*uz*Y*uy") << kSixOld << kSixOldLinks << kSixOldFields;
        QTest::newRow("blank page") << kSixOldPage << QString() << kSixOld << kSixOldLinks << kSixOldFields;
        QTest::newRow("blank page on fresh items") << QString() << QString() << six << six << QStringList();
        QTest::newRow("blank url keeps the old item and its link")
            << kSixOldPage << QStringLiteral("$$$*Z*uz*Y* *X*ux*$$$")
            << QStringList{"1.Z", "2.b", "3.X", "4.d", "5.e", "6.f"}
            << QStringList{"uz", "ub", "ux", "ud", "ue", "uf"} << QStringList{"Z", "uz", "Y", " ", "X", "ux"};
        QTest::newRow("empty block keeps every item")
            << kSixOldPage << QStringLiteral("$$$**$$$") << kSixOld << kSixOldLinks << QStringList{""};
    }

    void pages()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, targets);
        QFETCH(QStringList, fields);
        Rig rig;
        rig.load(first);
        rig.load(second);
        QCOMPARE(rig.captions(), captions);
        QCOMPARE(rig.menu.NoticeFields(), fields);
        QCOMPARE(rig.clickTargets(), targets);
        QVERIFY(rig.notice.navigations.isEmpty());
    }

    void pageWithoutBodyChangesNothing()
    {
        Rig rig;
        rig.load(kSixOldPage);
        rig.load(std::nullopt);
        QCOMPARE(rig.captions(), kSixOld);
        QCOMPARE(rig.menu.NoticeFields(), kSixOldFields);
        QCOMPARE(rig.clickTargets(), kSixOldLinks);
    }

    void clickingTwiceOpensTwice()
    {
        Rig rig;
        rig.load(QStringLiteral("$$$*A*u1*$$$"));
        rig.actions[0].trigger();
        rig.actions[0].trigger();
        QCOMPARE(rig.main.navigations, (QStringList{"u1", "u1"}));
    }

    void handlersByNumber()
    {
        Rig rig;
        rig.load(kSixOldPage);
        rig.menu.n_Click(1);
        rig.menu.n_Click(6);
        rig.menu.n_Click(0);
        rig.menu.n_Click(7);
        QCOMPARE(rig.main.navigations, (QStringList{"ua", "uf"}));
        QCOMPARE(rig.menu.link(3), QStringLiteral("uc"));
        QVERIFY(rig.menu.link(0).isEmpty());
        QVERIFY(rig.menu.link(7).isEmpty());
    }

    void itemGoneBeforeTheMenu()
    {
        auto action = std::make_unique<QAction>();
        QAction *n[6] = {action.get(), nullptr, nullptr, nullptr, nullptr, nullptr};
        AnnouncementMenu menu(n);
        menu.WebBrowser2_DownloadComplete(QStringLiteral("$$$*A*u1*B*u2*$$$"));
        QCOMPARE(action->text(), QStringLiteral("1.A"));
        action.reset();
        menu.WebBrowser2_DownloadComplete(QStringLiteral("$$$*C*u3*$$$"));
        QCOMPARE(menu.NoticeFields(), (QStringList{"C", "u3"}));
        QCOMPARE(menu.link(1), QStringLiteral("u1")); // the item that showed it is gone
        menu.n_Click(1);
    }

    void mainWindowWiring()
    {
        QTemporaryDir dir;
        Form1 form(dir.path(), ServiceHosts{"http://127.0.0.1:1", "http://127.0.0.1:2"}, recordingWebViewFactory());
        for (QAction *item : controls(form).n)
            QVERIFY(item->text().isEmpty());
        rec(controls(form).WebBrowser2)->finishLoad(QStringLiteral("公告 $$$*新节目*http://127.0.0.1:3/x*$$$"));
        QCOMPARE(controls(form).n[0]->text(), QStringLiteral("1.新节目"));
        QCOMPARE(form.NoticeFields(), (QStringList{"新节目", "http://127.0.0.1:3/x"}));
        controls(form).n[0]->trigger();
        QCOMPARE(rec(controls(form).WebBrowser1)->lastNavigation(), QStringLiteral("http://127.0.0.1:3/x"));
        controls(form).n[1]->trigger();
        QCOMPARE(rec(controls(form).WebBrowser1)->navigations.size(), 2);
    }
};

QTEST_MAIN(TestAnnouncementMenu)
#include "tst_announcementmenu.moc"

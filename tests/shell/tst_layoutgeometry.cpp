#include "shell/layoutgeometry.h"

#include <QTest>

Q_DECLARE_METATYPE(TwipRect)

namespace {

const QString kOrdinary = QStringLiteral("澄屿高清网络电视 V2.7");
const QString kVip = QStringLiteral("澄屿高清网络电视 V2.7 账号：abc VIP用户");
constexpr int W = 13812;
constexpr int H = 9920;

} // namespace

class TestLayoutGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void views_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("list1");
        QTest::addColumn<bool>("list2");
        QTest::addColumn<bool>("commands");
        QTest::addColumn<int>("image1Left");
        QTest::addColumn<int>("playerLeft");
        QTest::addColumn<int>("playerWidth");
        QTest::newRow("player only") << 0 << false << false << false << 15 << 100 << W - 160;
        QTest::newRow("tv") << 1 << true << true << true << 1950 << 2040 << W - 2100;
        QTest::newRow("radio") << 2 << true << false << true << 1950 << 2040 << W - 2100;
    }
    void views()
    {
        QFETCH(int, mode);
        const LayoutState s = layoutForm(designLayout(), ViewMode(mode), W, H, kOrdinary);
        QTEST(s.List1Visible, "list1");
        QTEST(s.List2Visible, "list2");
        QTEST(s.Command2Visible, "commands");
        QTEST(s.Command3Visible, "commands");
        QTEST(s.Image1.left, "image1Left");
        QTEST(s.WebBrowser1.left, "playerLeft");
        QTEST(s.WebBrowser1.width, "playerWidth");
        // The notice strip sits right under the player with the same left and width.
        QCOMPARE(s.WebBrowser1.top, 0);
        QCOMPARE(s.WebBrowser1.height, H - 2675);
        QCOMPARE(s.WebBrowser2.top, H - 2675);
        QCOMPARE(s.WebBrowser2.left, s.WebBrowser1.left);
        QCOMPARE(s.WebBrowser2.width, s.WebBrowser1.width);
        QCOMPARE(s.WebBrowser2.height, 1455);
        QCOMPARE(s.Text5.left, W - 1735);
        QCOMPARE(s.Text5.top, 120);
    }

    void listHeightsOnlyInListViews()
    {
        const LayoutState tv = layoutForm(designLayout(), ViewMode::Tv, W, H, kOrdinary);
        QCOMPARE(tv.List1.height, H - 1970);
        QCOMPARE(tv.List2.height, H - 1250);
        QCOMPARE(tv.List1.top + tv.List1.height, tv.List2.top + tv.List2.height);
        const LayoutState playerOnly = layoutForm(tv, ViewMode::PlayerOnly, W + 3000, H + 3000, kOrdinary);
        QCOMPARE(playerOnly.List1.height, tv.List1.height);
        QCOMPARE(playerOnly.List2.height, tv.List2.height);
    }

    void radioThenTvKeepsRadioControlsVisible()
    {
        const LayoutState radio = layoutForm(designLayout(), ViewMode::Radio, W, H, kOrdinary);
        const LayoutState tv = layoutForm(radio, ViewMode::Tv, W, H, kOrdinary);
        QVERIFY(tv.List2Visible);
        QVERIFY(tv.List1Visible);
        QVERIFY(tv.Command2Visible);
        QVERIFY(tv.Command3Visible);
    }

    void vipTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("vip");
        QTest::newRow("design title") << kOrdinary << false;
        QTest::newRow("vip answer") << kVip << true;
        QTest::newRow("ordinary answer") << QStringLiteral("澄屿高清网络电视 V2.7 账号：abc 普通用户") << false;
        QTest::newRow("no leading blank") << QStringLiteral("账号：abcVIP用户") << false;
        QTest::newRow("vip elsewhere") << QStringLiteral("x VIP用户 y") << true;
        QTest::newRow("lower case") << QStringLiteral("x vip用户") << false;
    }
    void vipTitle()
    {
        QFETCH(QString, title);
        QFETCH(bool, vip);
        QCOMPARE(isVipTitle(title), vip);
    }

    void vipLayoutMovesStripBelowOldPlayer()
    {
        const LayoutState ordinary = layoutForm(designLayout(), ViewMode::Tv, W, H, kOrdinary);
        const LayoutState vip = layoutForm(ordinary, ViewMode::Tv, W, H, kVip);
        QCOMPARE(vip.WebBrowser2.top, ordinary.WebBrowser1.height + 3000);
        QCOMPARE(vip.WebBrowser1.height, H - 1175);
        // Left and width of the strip are not touched by the VIP layout.
        QCOMPARE(vip.WebBrowser2.left, ordinary.WebBrowser2.left);
        QCOMPARE(vip.WebBrowser2.width, ordinary.WebBrowser2.width);
    }

    void tinyMinimisedSizeSkipsNegativeSizes()
    {
        const LayoutState before = layoutForm(designLayout(), ViewMode::Tv, W, H, kOrdinary);
        const LayoutState s = layoutForm(before, ViewMode::Tv, 2400, 465, kOrdinary);
        QCOMPARE(s.WebBrowser1.width, 300);
        QCOMPARE(s.WebBrowser1.height, before.WebBrowser1.height);
        QCOMPARE(s.List1.height, before.List1.height);
        QCOMPARE(s.List2.height, before.List2.height);
        QCOMPARE(s.Text5.left, 2400 - 1735);
        QCOMPARE(s.WebBrowser2.top, before.WebBrowser1.height);

        const LayoutState evenSmaller = layoutForm(before, ViewMode::Tv, 100, 100, kOrdinary);
        QCOMPARE(evenSmaller.WebBrowser1.width, before.WebBrowser1.width);
        QCOMPARE(evenSmaller.Text5.left, 100 - 1735); // a negative left is a valid position
    }
};

QTEST_GUILESS_MAIN(TestLayoutGeometry)
#include "tst_layoutgeometry.moc"

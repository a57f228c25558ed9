// Favourites, recently played channels and zapping on the real main window.
#include "directory/channellist.h"
#include "favourites/favourites.h"
#include "favourites/recents.h"
#include "platform/codepage936.h"
#include "form1controls.h"
#include "listrows.h"
#include "recordingstreamside.h"
#include "shell/form1.h"
#include "testhttpserver.h"
#include "testfiles.h"

#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kTvPath = QStringLiteral("/user/jiemubiao.asp");
// Entry n has the URL http://tv/n+1.
const QString kFive = QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n东方卫视\r\nhttp://tv/3\r\n"
                                     "北京新闻\r\nhttp://tv/4\r\nCCTV-1\r\nhttp://tv/5\r\n");

// The main window over a data folder, with its service on a local server.
struct Window
{
    QTemporaryDir &dir;
    TestHttpServer host;
    std::unique_ptr<Form1> form;
    WebViewFactory views;

    explicit Window(QTemporaryDir &folder, const QString &tvList = kFive, WebViewFactory player = recordingWebViewFactory())
        : dir(folder)
        , views(std::move(player))
    {
        if (!tvList.isEmpty())
            writeFile(dir.filePath(QStringLiteral("dianshibiao.ini")), cp936::fromUnicode(tvList));
        restart();
    }
    void restart()
    {
        form.reset();
        form = std::make_unique<Form1>(dir.path(), ServiceHosts{host.baseUrl(), host.baseUrl()},
                                       recordingWebViewFactory(), views);
        form->show();
        c().Timer1->stop(); // the test runs the schedule itself
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    Form1Controls c() const { return controls(*form); }
    ListBox *list(bool radio = false) const { return radio ? c().List1 : c().List2; }
    ChannelDirectory *directory(bool radio = false) const { return static_cast<ChannelDirectory *>(list(radio)->model()); }
    // Pages and channels the player was sent to (by a player view: to its page side).
    RecordingWebView *pageSide() const
    {
        auto *player = qobject_cast<PlayerView *>(c().WebBrowser1);
        return static_cast<RecordingWebView *>(player ? player->engineSide() : c().WebBrowser1);
    }
    QStringList played() const { return pageSide()->navigations; }

    // The lists' context menu as it opens on a row (-1: below the rows).
    std::unique_ptr<QMenu> menu(int row, bool radio = false) const
    {
        ListMenuTarget target{radio ? ViewMode::Radio : ViewMode::Tv, directory(radio)};
        if (row >= 0)
            target = {target.list, target.directory, row, directory(radio)->rows().at(row), directory(radio)->urlAt(row)};
        return std::unique_ptr<QMenu>(c().listMenu->makeMenu(target, list(radio)));
    }
    void choose(int row, const char *item, bool radio = false) const
    {
        const auto m = menu(row, radio);
        QAction *action = m->findChild<QAction *>(QLatin1String(item));
        QVERIFY2(action, item);
        action->trigger();
    }
    void click(int row, bool radio = false) const
    {
        ListBox *l = list(radio);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualRect(l->model()->index(row, 0)).center());
    }
    // The rows that show a star (a picture with something drawn on it).
    QStringList starred(bool radio = false) const
    {
        QStringList rows;
        for (int r = 0; r < list(radio)->ListCount(); ++r) {
            const QImage image = decoration(r, radio).pixmap(16).toImage();
            bool drawn = false;
            for (int p = 0; p < image.width() * image.height() && !drawn; ++p)
                drawn = qAlpha(image.pixel(p % image.width(), p / image.width())) > 0;
            if (drawn)
                rows << list(radio)->List(r);
        }
        return rows;
    }
    QIcon decoration(int row, bool radio = false) const
    {
        return list(radio)->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    }
    // The TV directory replaced as a refresh, an import or a restart does it.
    void replace(const QString &how, const QString &text)
    {
        if (how == QLatin1String("refresh")) {
            host.setAnswer(kTvPath, TestHttpAnswer::gbk(text));
            c().Command2->click();
        } else if (how == QLatin1String("import")) {
            directory()->setEntries(parseListFile(text));
        } else {
            writeFile(dir.filePath(QStringLiteral("dianshibiao.ini")), cp936::fromUnicode(text));
            restart();
        }
    }
};

// Keys as a test writes them: "PgDn", "PgUp", "^Down", "^Up", "BS", "^D".
void press(QWidget *where, const QString &keys)
{
    for (const QString &key : keys.split(u' ', Qt::SkipEmptyParts)) {
        const Qt::KeyboardModifiers mods = key.startsWith(u'^') ? Qt::ControlModifier : Qt::NoModifier;
        const QString name = key.startsWith(u'^') ? key.mid(1) : key;
        const Qt::Key k = name == "PgDn" ? Qt::Key_PageDown : name == "PgUp" ? Qt::Key_PageUp : name == "Down" ? Qt::Key_Down
                          : name == "Up" ? Qt::Key_Up : name == "D" ? Qt::Key_D : Qt::Key_Backspace;
        QTest::keyClick(where, k, mods);
    }
}

QString url(int n) { return QStringLiteral("http://tv/%1").arg(n); }

} // namespace

class TestFavouriteChannels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Marks are kept by URL: a shorter list drops the rows, not the marks,
    // and the entries that come back, wherever and under whatever name, are
    // starred again; the favourites-only rows follow.
    void marksSurviveEveryReplacement_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("only");
        for (const char *how : {"refresh", "import", "restart"}) {
            QTest::addRow("%s", how) << how << false;
            QTest::addRow("%s, only favourites shown", how) << how << true;
        }
    }
    void marksSurviveEveryReplacement()
    {
        QFETCH(QString, how);
        QFETCH(bool, only);
        QTemporaryDir dir;
        Window w(dir);
        w.choose(1, "shoucang");
        w.list()->setListIndex(4);
        press(w.list(), "^D");
        QCOMPARE(w.starred(), (QStringList{"0001.浙江卫视", "0004.CCTV-1"}));
        const QSize icon = w.list()->iconSize();
        QCOMPARE(w.decoration(0).actualSize(icon), w.decoration(1).actualSize(icon)); // texts aligned
        QCOMPARE(w.menu(4)->actions().first()->text(), QStringLiteral("取消收藏"));
        QCOMPARE(w.menu(0)->actions().first()->text(), QStringLiteral("收藏"));
        QCOMPARE(listRows(w.list()).size(), 5); // rows, texts and numbers unchanged
        QCOMPARE(listRows(w.list()).at(1), QStringLiteral("0001.浙江卫视"));

        w.replace(how, QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n"));
        if (only && how != QLatin1String("restart"))
            w.choose(-1, "zhikanshoucang");
        QVERIFY(w.starred().isEmpty());
        QCOMPARE(w.list()->ListCount(), only && how != QLatin1String("restart") ? 0 : 1);
        QVERIFY(w.list()->ListCount() == 0 || w.decoration(0).isNull()); // no room kept for a star

        w.replace(how, QStringLiteral("CCTV-1 高清\r\nhttp://tv/5\r\n湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n"));
        if (only && how == QLatin1String("restart"))
            w.choose(-1, "zhikanshoucang");
        const QStringList favourites = {"0000.CCTV-1 高清", "0002.浙江卫视"};
        QCOMPARE(w.starred(), favourites);
        QCOMPARE(listRows(w.list()), only ? favourites : QStringList({"0000.CCTV-1 高清", "0001.湖南卫视", "0002.浙江卫视"}));
    }

    // Only favourites shown: row clicks, quick select and Enter work within
    // them; unmarking a row takes it away and the selection stays on its
    // entry; choosing the item again shows all.
    void favouritesOnlyRows()
    {
        QTemporaryDir dir;
        Window w(dir);
        for (const int row : {1, 2, 4})
            w.choose(row, "shoucang");
        w.click(3);
        w.choose(0, "zhikanshoucang");
        QCOMPARE(listRows(w.list()), (QStringList{"0001.浙江卫视", "0002.东方卫视", "0004.CCTV-1"}));
        QVERIFY(w.menu(-1)->findChild<QAction *>(QStringLiteral("zhikanshoucang"))->isChecked());
        QCOMPARE(w.list()->ListIndex(), -1); // the playing channel is no favourite

        w.click(1);
        QCOMPARE(w.played().last(), url(3));
        QCOMPARE(w.form->TvUrl(), (QStringList{url(2), url(3), url(5)}));
        w.c().Text5->setText(QStringLiteral("WS")); // 湖南卫视 matches, but is no favourite
        QCOMPARE(listRows(w.list()).size(), 2);
        QTest::keyClick(w.c().Text5, Qt::Key_Return);
        QCOMPARE(w.played().last(), url(2));
        w.c().Text5->setText(QStringLiteral("HN"));
        QCOMPARE(w.list()->ListCount(), 0);
        w.c().Text5->setText(QStringLiteral("CCTV"));
        QCOMPARE(w.played().last(), url(5)); // the one match plays at once
        QCOMPARE(w.list()->ListIndex(), 0);
        w.c().Text5->clear();
        QCOMPARE(w.list()->ListCount(), 3);

        w.list()->setListIndex(2);
        w.choose(0, "shoucang"); // 取消收藏 on another row
        QCOMPARE(listRows(w.list()).size(), 2);
        QCOMPARE(w.list()->ListIndex(), 1);
        QCOMPARE(w.directory()->urlAt(1), url(5));
        QCOMPARE(Favourites(dir.path()).urls(DirectoryKind::Tv), (QStringList{url(3), url(5)}));

        w.choose(-1, "zhikanshoucang");
        QCOMPARE(w.list()->ListCount(), 5);
        QCOMPARE(w.list()->ListIndex(), 4); // the playing row
    }

    // Keys on a list or the player play the next or previous row, wrapping
    // round, and Backspace the channel before; in the quick-select box they
    // keep their meaning, and so do those without Ctrl on a page the player
    // view shows.
    void zapping_data()
    {
        QTest::addColumn<QString>("focus"); // page, stream, blank: on a player view
        QTest::addColumn<QList<int>>("marked"); // and only they shown, when any
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QList<int>>("played"); // entry numbers, after the clicks
        QTest::addColumn<int>("selected");
        const QList<int> none;
        QTest::newRow("down") << "list" << none << QList<int>{1} << "PgDn ^Down" << QList<int>{2, 3} << 3;
        QTest::newRow("down wraps round") << "list" << none << QList<int>{3} << "PgDn PgDn" << QList<int>{4, 0} << 0;
        QTest::newRow("up wraps round") << "list" << none << QList<int>{1} << "PgUp ^Up" << QList<int>{0, 4} << 4;
        QTest::newRow("on the player") << "player" << none << QList<int>{2} << "^Down PgUp" << QList<int>{3, 2} << 2;
        QTest::newRow("back and back again") << "list" << none << QList<int>{0, 3} << "BS BS" << QList<int>{0, 3} << 3;
        QTest::newRow("back after a zap") << "player" << none << QList<int>{1} << "PgDn BS" << QList<int>{2, 1} << 1;
        QTest::newRow("back before a second channel") << "list" << none << QList<int>{1} << "BS" << none << 1;
        QTest::newRow("only favourites") << "list" << QList<int>{1, 3} << QList<int>{0} << "PgDn PgDn PgUp"
                                         << QList<int>{3, 1, 3} << 1;
        QTest::newRow("keys in the quick-select box") << "box" << none << QList<int>{1} << "PgDn ^Up BS" << none << 1;
        QTest::newRow("keys in a menu over the list") << "menu" << none << QList<int>{1} << "PgDn ^Up BS ^D" << none << 1;
        QTest::newRow("a text field of a page") << "page" << none << QList<int>{1} << "PgDn BS PgUp ^Down ^Up"
                                                << QList<int>{2, 1} << 1;
        QTest::newRow("a stream") << "stream" << none << QList<int>{0, 3} << "BS ^Down" << QList<int>{0, 1} << 1;
        QTest::newRow("a blank player view") << "blank" << none << none << "PgDn" << QList<int>{0} << 0;
    }
    void zapping()
    {
        QFETCH(QString, focus);
        QFETCH(QList<int>, marked);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, keys);
        QFETCH(QList<int>, played);
        QTemporaryDir dir;
        const bool playerView = focus == "page" || focus == "stream" || focus == "blank";
        Window w(dir, kFive, playerView ? recordingPlayerViewFactory() : recordingWebViewFactory());
        for (const int row : marked)
            w.choose(row, "shoucang");
        if (!marked.isEmpty())
            w.choose(-1, "zhikanshoucang");
        for (const int row : clicks)
            w.click(row);
        QMenu menu(w.list());
        menu.addAction(QStringLiteral("甲"));
        if (focus == "menu")
            menu.popup(w.list()->mapToGlobal(QPoint(10, 10)));
        if (focus == "stream") // the channel's page answered as video
            Q_EMIT w.pageSide()->StreamOffered(w.played().last());
        QLineEdit field(QStringLiteral("频道号"), w.pageSide());
        field.show();
        const qsizetype before = w.played().size();
        press(focus == "list"   ? w.list()
              : focus == "box"  ? w.c().Text5
              : focus == "menu" ? static_cast<QWidget *>(&menu)
              : focus == "page" ? static_cast<QWidget *>(&field)
                                : static_cast<QWidget *>(w.c().WebBrowser1),
              keys);
        if (focus == "page") // each Backspace deleted in the field
            QCOMPARE(field.text(), QStringLiteral("频道号").chopped(keys.count(QLatin1String("BS"))));
        QStringList urls;
        for (const int n : played)
            urls << url(n + 1);
        QCOMPARE(w.played().mid(before), urls);
        QTEST(w.list()->ListIndex(), "selected");
        QCOMPARE(w.starred().size(), marked.size()); // no key marked a row
    }

    // Newest first, one per URL, from every way of playing; choosing one
    // plays it and selects its row.
    void recentlyPlayed()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("diantaibiao.ini")), cp936::fromUnicode(QStringLiteral("中国之声\r\nhttp://radio/1\r\n")));
        Window w(dir);
        QVERIFY(!w.menu(-1)->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->isEnabled());
        w.click(0);
        w.click(2);
        w.c().jiemian->trigger();
        w.click(0, true);
        w.c().jiemu->trigger();
        w.c().Text5->setText(QStringLiteral("BJ"));
        w.c().Text5->clear();
        press(w.list(), "PgDn BS");
        auto recent = [&w] {
            QStringList texts;
            const auto menu = w.menu(-1); // the menu lives while its items are read
            for (const QAction *a : menu->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->actions())
                texts << a->text();
            return texts;
        };
        QCOMPARE(recent(), (QStringList{"北京新闻", "CCTV-1", "中国之声（广播）", "东方卫视", "湖南卫视"}));
        QCOMPARE(Recents(dir.path()).entries().size(), 5);

        const auto menu = w.menu(-1);
        menu->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->actions().at(3)->trigger();
        QCOMPARE(w.played().last(), url(3));
        QCOMPARE(w.list()->ListIndex(), 2);
        QCOMPARE(recent().first(), QStringLiteral("东方卫视"));
    }

    // With 启动时播放上次的频道 on, the last channel of the last view plays
    // once the start-up schedule has finished, after what the schedule does.
    void lastChannelAtStart_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("radioLast");
        QTest::addColumn<bool>("chooseMeanwhile");
        QTest::addColumn<QString>("plays");
        QTest::newRow("off") << false << false << false << QString();
        QTest::newRow("TV channel") << true << false << false << "http://tv/3";
        QTest::newRow("radio list shown last") << true << true << false << "http://radio/1";
        QTest::newRow("a channel chosen meanwhile") << true << false << true << QString();
    }
    void lastChannelAtStart()
    {
        QFETCH(bool, on);
        QFETCH(bool, radioLast);
        QFETCH(bool, chooseMeanwhile);
        QFETCH(QString, plays);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("diantaibiao.ini")), cp936::fromUnicode(QStringLiteral("中国之声\r\nhttp://radio/1\r\n")));
        Window w(dir);
        w.click(2);
        if (radioLast) {
            w.c().jiemian->trigger();
            w.click(0, true);
        }
        if (on)
            w.choose(-1, "qidongbofang");
        w.restart();
        QCOMPARE(w.menu(-1)->findChild<QAction *>(QStringLiteral("qidongbofang"))->isChecked(), on);
        if (chooseMeanwhile)
            w.click(4);
        const qsizetype before = w.played().size();
        for (int tick = 0; tick < 10; ++tick)
            w.c().schedule->Timer1_Timer();
        const QStringList after = w.played().mid(before);
        QCOMPARE(after.first(), QStringLiteral("%1/user/Download2.asp?yh=").arg(w.host.baseUrl()));
        QCOMPARE(after.mid(1), plays.isEmpty() ? QStringList() : QStringList{plays});
        QCOMPARE(w.form->ListMode(), ViewMode::Tv);
        QCOMPARE(w.list(radioLast)->ListIndex(), plays.isEmpty() ? (chooseMeanwhile ? 4 : -1) : radioLast ? 0 : 2);
    }

    // Damaged or foreign files: the program starts with what it could read
    // and keeps a copy of the file before its first change.
    void damagedFiles()
    {
        QTemporaryDir dir;
        const QString favourites = dir.filePath(QLatin1String(FavouritesFileName));
        const QString recents = dir.filePath(QLatin1String(RecentsFileName));
        const QByteArray damaged = formatKeptFile("favourites", {{"tv", url(2)}}) + "tv\tbroken\\escape\n" + "tv\thttp://tv/4";
        const QByteArray foreign = "[Recent]\nFile1=/home/user/a.m3u\n";
        QVERIFY(writeFile(favourites, damaged) && writeFile(recents, foreign));
        Window w(dir);
        QCOMPARE(w.starred(), QStringList{"0001.浙江卫视"});
        QVERIFY(w.menu(-1)->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->actions().isEmpty());
        QCOMPARE(readFile(favourites), damaged);
        QCOMPARE(readFile(recents), foreign);

        w.choose(2, "shoucang");
        w.click(0);
        QCOMPARE(readFile(favourites + ".bad"), damaged);
        QCOMPARE(readFile(recents + ".bad"), foreign);
        w.restart();
        QCOMPARE(w.starred(), (QStringList{"0001.浙江卫视", "0002.东方卫视"}));
        QCOMPARE(w.menu(-1)->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->actions().size(), 1);
    }

    // A URL of 1 MB is marked, played and kept like any other; the menu
    // shows it shortened.
    void hugeUrl()
    {
        QTemporaryDir dir;
        const QString huge = QStringLiteral("http://tv/") + QString(1 << 20, u'x');
        Window w(dir, QStringLiteral("湖南卫视\r\n%1\r\n").arg(huge));
        w.choose(0, "shoucang");
        w.click(0);
        w.restart();
        QCOMPARE(w.starred(), QStringList{"0000.湖南卫视"});
        const auto menu = w.menu(-1);
        const QList<QAction *> recent = menu->findChild<QMenu *>(QStringLiteral("zuijinbofang"))->actions();
        QCOMPARE(recent.size(), 1);
        QVERIFY(recent.first()->toolTip().size() <= 300);
        recent.first()->trigger();
        QCOMPARE(w.played().last(), huge);
    }
};

QTEST_MAIN(TestFavouriteChannels)
#include "tst_favouritechannels.moc"

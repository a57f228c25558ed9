#include "form1controls.h"
#include "guide/guidesource.h"
#include "guide/guideview.h"
#include "guide/guidewidgets.h"
#include "guide/programguide.h"
#include "guidexml.h"
#include "platform/codepage936.h"
#include "recordingstreamside.h"
#include "servicehost.h"
#include "servicerouter.h"
#include "shell/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <ctime>
#include <memory>

namespace {

const QString kUnknown = QStringLiteral("本地频道"); // a channel the service's guide does not know
const QString kNews = QStringLiteral("正在播出 19:00–19:30 新闻联播");

enum class Entries { Playlist, ListFile };

QDateTime at(int dayOffset, int hour, int minute) { return {QDate::currentDate().addDays(dayOffset), QTime(hour, minute)}; }

QString accessibleName(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<none>");
}

// The reference service in this process, counting the guide requests it
// answers, and Form1 on it over one data folder.
struct Rig
{
    ServiceData data;
    ServiceRouter router{data};
    ServiceHost host{1, router};
    int guideRequests = 0;
    QTemporaryDir dir;
    std::unique_ptr<Form1> form;
    GuideView *guide = nullptr;
    ListBox *list = nullptr;

    bool start()
    {
        QString error;
        if (!data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error) || host.start(0) == 0)
            return false;
        data.setPageBase(host.baseUrl());
        QObject::connect(&host, &ServiceHost::answered, &host,
                         [this](const QString &line) { guideRequests += line.contains(u" /guide.xml ") ? 1 : 0; });
        // The demo TV list and one more channel; a radio list, so the start-up downloads nothing.
        QFile demo(QStringLiteral(CHENGYU_DEMO_DIR "/lists/dianshibiao.ini"));
        QFile tv(dir.filePath(QStringLiteral("dianshibiao.ini")));
        QFile radio(dir.filePath(QStringLiteral("diantaibiao.ini")));
        return demo.open(QIODevice::ReadOnly) && tv.open(QIODevice::WriteOnly) && radio.open(QIODevice::WriteOnly)
            && tv.write(demo.readAll() + cp936::fromUnicode(kUnknown + QStringLiteral("\r\nhttp://local/1\r\n"))) > 0
            && radio.write("radio\r\nhttp://radio/1\r\n") > 0;
    }
    QString url(const char *path) const { return host.baseUrl() + QLatin1String(path); }

    // Shows the window with the start-up held back; the service's playlist
    // brings url-tvg, tvg-id and tvg-shift, the list file names only.
    void open(Entries entries, const QDateTime &clock)
    {
        form.reset();
        form = std::make_unique<Form1>(dir.path(), ServiceHosts{host.baseUrl(), host.baseUrl()},
                                       recordingWebViewFactory(), recordingPlayerViewFactory());
        guide = form->findChild<GuideView *>();
        guide->setClock([clock] { return clock; });
        list = controls(*form).List2;
        form->show();
        controls(*form).Timer1->stop();
        if (entries == Entries::Playlist)
            form->importPlaylist(url("/playlist/tv.m3u8"));
    }
    void tick(int ticks = 10)
    {
        for (int t = 0; t < ticks; ++t)
            controls(*form).schedule->Timer1_Timer();
    }
    // Finishes the start-up and waits for the guide it fetches.
    bool openWithGuide(Entries entries, const QDateTime &clock)
    {
        open(entries, clock);
        QSignalSpy changed(&guide->programGuide(), &ProgramGuide::guideChanged);
        tick();
        return changed.wait(20000);
    }

    int row(const QString &name) const
    {
        for (int r = 0; r < list->ListCount(); ++r) {
            if (list->List(r).section(u'.', 1).trimmed() == name)
                return r;
        }
        return -1;
    }
    QPoint centre(int row) const { return list->visualRect(list->model()->index(row, 0)).center(); }
    // The tooltip shown when the mouse rests on the row; empty when none.
    QString tip(int row) const
    {
        QToolTip::hideText();
        QHelpEvent rest(QEvent::ToolTip, centre(row), list->viewport()->mapToGlobal(centre(row)));
        QApplication::sendEvent(list->viewport(), &rest);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    // Right-clicks the row; the context menu, open.
    QMenu *menu(int row) const
    {
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(form.get(), centre(row)));
        (void)QTest::qWaitFor([] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); });
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    void choose(int row, const char *item) const
    {
        QMenu *open = menu(row);
        QAction *action = open ? open->findChild<QAction *>(QLatin1String(item)) : nullptr;
        QVERIFY(action && action->isEnabled());
        QTest::mouseClick(open, Qt::LeftButton, {}, open->actionGeometry(action).center());
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }
};

} // namespace

class TestGuideWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The service's days are days of this zone, without summer time.
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    // The row's tooltip and the line over the player at a fixed time.
    void tooltipAndLine_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QString>("name"); // empty: the last row
        QTest::addColumn<QDateTime>("clock");
        QTest::addColumn<QString>("now");  // the tooltip's line of what runs now; empty: no guide
        QTest::addColumn<QString>("line"); // how the line over the player begins
        const QString newsLine = QStringLiteral("正在播出 新闻联播 (19:00–19:30), 下一个 ");
        QTest::newRow("tvg-id") << Entries::Playlist << "湖南卫视" << at(0, 19, 10) << kNews << newsLine;
        QTest::newRow("tvg-shift -8") << Entries::Playlist << "凤凰卫视中文台" << at(0, 19, 10) << kNews << newsLine;
        QTest::newRow("late guide without tvg-shift") << Entries::ListFile << "凤凰卫视中文台" << at(1, 3, 10)
                                                      << "正在播出 03:00–03:30 新闻联播"
                                                      << "正在播出 新闻联播 (03:00–03:30), 下一个 ";
        QTest::newRow("CCTV-1 综合 by its normalised name") << Entries::ListFile << "CCTV-1 综合" << at(1, 19, 29)
                                                             << kNews << newsLine;
        QTest::newRow("across midnight") << Entries::ListFile << "湖南卫视" << at(0, 23, 50)
                                         << "正在播出 23:30–00:30 午夜剧场" << "正在播出 午夜剧场 (23:30–00:30), 下一个 ";
        // The playlist's last entry, the one with HTTP headers, is not in the guide.
        QTest::newRow("not in the guide, playlist tip kept") << Entries::Playlist << ""
                                                             << at(0, 19, 10) << QString() << QString();
        QTest::newRow("not in the guide, no tip") << Entries::ListFile << kUnknown << at(0, 19, 10) << QString()
                                                  << QString();
    }
    void tooltipAndLine()
    {
        QFETCH(Entries, entries);
        QFETCH(QString, name);
        QFETCH(QDateTime, clock);
        QFETCH(QString, now);
        QFETCH(QString, line);
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.openWithGuide(entries, clock));
        const int row = name.isEmpty() ? rig.list->ListCount() - 1 : rig.row(name);
        QVERIFY(row >= 0);

        // The playlist's own tip (its group) first, then now and next.
        const QString own = rig.list->model()->index(row, 0).data(Qt::ToolTipRole).toString();
        QCOMPARE(own.isEmpty(), entries == Entries::ListFile);
        const QStringList tip = rig.tip(row).split(u'\n', Qt::SkipEmptyParts);
        const QStringList start = own.split(u'\n', Qt::SkipEmptyParts) + (now.isEmpty() ? QStringList() : QStringList{now});
        QCOMPARE(tip.mid(0, start.size()), start);
        QCOMPARE(tip.size(), start.size() + (now.isEmpty() ? 0 : 1));
        if (!now.isEmpty())
            QVERIFY2(tip.last().startsWith(QStringLiteral("下一个 ") + now.mid(11, 5) + u'–'), qPrintable(tip.last()));

        // Starting the channel shows the line over the player for five seconds.
        GuideLine *guideLine = rig.guide->line();
        QTest::mouseClick(rig.list->viewport(), Qt::LeftButton, {}, rig.centre(row));
        QCOMPARE(guideLine->isVisible(), !line.isEmpty());
        if (line.isEmpty())
            return;
        QVERIFY2(guideLine->text().startsWith(line), qPrintable(guideLine->text()));
        QCOMPARE(accessibleName(guideLine), guideLine->text());
        auto *player = static_cast<PlayerView *>(controls(*rig.form).WebBrowser1);
        QVERIFY(player->rect().contains(guideLine->geometry()));
        QCOMPARE(guideLine->hideTimer()->interval(), 5000);
        QVERIFY(guideLine->hideTimer()->isActive());
        guideLine->hideTimer()->start(0); // its five seconds are over
        QTRY_VERIFY(!guideLine->isVisible());

        // The mouse resting on the picture shows it again, not once the player shows something else.
        QHelpEvent rest(QEvent::ToolTip, QPoint(20, 20), player->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(player->engineSide(), &rest);
        QVERIFY(guideLine->isVisible() && guideLine->text().startsWith(line));
        guideLine->hideTimer()->start(0);
        QTRY_VERIFY(!guideLine->isVisible());
        player->Navigate(QStringLiteral("about:blank"));
        QApplication::sendEvent(player->engineSide(), &rest);
        QVERIFY(!guideLine->isVisible());
    }

    // 节目单: today's and tomorrow's programmes under a row per day, the
    // running one marked; only entries the guide covers have it.
    void scheduleList()
    {
        Rig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.openWithGuide(Entries::ListFile, at(0, 19, 10)));
        QMenu *menu = rig.menu(rig.row(kUnknown));
        QVERIFY(menu && !menu->findChild<QAction *>(QStringLiteral("guideScheduleItem")));
        menu->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());

        rig.choose(rig.row(QStringLiteral("湖南卫视")), "guideScheduleItem");
        GuideScheduleDialog *dialog = rig.form->findChild<GuideScheduleDialog *>(QStringLiteral("guideSchedule"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("节目单 - 湖南卫视"));
        QListWidget *rows = dialog->findChild<QListWidget *>(QStringLiteral("scheduleList"));
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(rows);
        QStringList texts;
        for (int r = 0; r < face->childCount(); ++r)
            texts << face->child(r)->text(QAccessible::Name);
        QVERIFY2(texts.first().startsWith(QStringLiteral("今天 ")), qPrintable(texts.first()));
        const qsizetype tomorrow = texts.indexOf(QRegularExpression(QStringLiteral("明天 .*")));
        QVERIFY2(tomorrow > 1, qPrintable(texts.join(u'|')));
        // Today ends with the late show across midnight; tomorrow begins after it.
        QCOMPARE(texts.at(tomorrow - 1), QStringLiteral("23:30–00:30 午夜剧场"));
        QVERIFY(texts.at(tomorrow + 1).startsWith(QStringLiteral("00:30–")));
        QCOMPARE(texts.filter(QStringLiteral("新闻联播")).size(), 2);
        QCOMPARE(texts.filter(QStringLiteral("正在播出")), QStringList{kNews});
        QCOMPARE(rows->currentItem()->text(), kNews);
        QVERIFY(rows->currentItem()->font().bold());
    }

    // The cached guide is read at start; the source is asked once the
    // start-up schedule is over, and only when the cache is due.
    void fetchedAtStartWhenDue_data()
    {
        QTest::addColumn<int>("cacheAgeHours"); // -1: no cache
        QTest::addColumn<bool>("fetched");
        QTest::newRow("no cache") << -1 << true;
        QTest::newRow("cache of 11 hours") << 11 << false;
        QTest::newRow("cache of 13 hours") << 13 << true;
    }
    void fetchedAtStartWhenDue()
    {
        QFETCH(int, cacheAgeHours);
        QFETCH(bool, fetched);
        Rig rig;
        QVERIFY(rig.start());
        if (cacheAgeHours >= 0) {
            rig.open(Entries::ListFile, at(1, 19, 10));
            const qint64 then = QDateTime::currentSecsSinceEpoch() - cacheAgeHours * 3600;
            rig.guide->programGuide().setClock([then] { return then; });
            QSignalSpy changed(&rig.guide->programGuide(), &ProgramGuide::guideChanged);
            rig.tick();
            QVERIFY(changed.wait(20000));
            rig.guideRequests = 0;
        }
        rig.open(Entries::ListFile, at(1, 19, 10));
        ProgramGuide &guide = rig.guide->programGuide();
        if (cacheAgeHours >= 0) {
            QTRY_VERIFY(guide.guide());
            QCOMPARE(rig.tip(0).section(u'\n', 0, 0), kNews);
        }
        rig.tick(9);
        QVERIFY(!guide.isUpdating()); // nothing is asked while the start-up runs
        QSignalSpy updating(&guide, &ProgramGuide::updatingChanged);
        rig.tick(1);
        QCOMPARE(rig.guide->source(), rig.url("/guide.xml"));
        QTRY_VERIFY_WITH_TIMEOUT(!guide.isUpdating(), 20000);
        QCOMPARE(!updating.isEmpty(), fetched);
        QCOMPARE(rig.guideRequests, fetched ? 1 : 0);
        QCOMPARE(rig.tip(0).section(u'\n', 0, 0), kNews);
    }

    // 节目指南来源…: a file chosen there is read and kept for the next run;
    // an empty choice goes back to the playlist's guide.
    void chosenSourceIsKept()
    {
        Rig rig;
        QVERIFY(rig.start());
        const QString file = rig.dir.filePath(QStringLiteral("本地指南.xml"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(serviceGuideXml(rig.data.tv(), QDateTime::currentDateTime()).replace("新闻联播", "本地新闻"));
        out.close();
        QVERIFY(rig.openWithGuide(Entries::Playlist, at(0, 19, 10)));
        QCOMPARE(rig.guide->source(), rig.url("/guide.xml")); // the playlist's url-tvg
        rig.choose(0, "guideSourceItem");
        auto *dialog = rig.form->findChild<GuideSourceDialog *>(QStringLiteral("guideSourceDialog"));
        QVERIFY(dialog);
        auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("guideSourceBox"));
        QCOMPARE(box->text(), QString());
        box->setText(file);
        QSignalSpy changed(&rig.guide->programGuide(), &ProgramGuide::guideChanged);
        dialog->accept();
        QVERIFY(changed.wait(20000));
        QVERIFY2(rig.tip(0).contains(QStringLiteral("正在播出 19:00–19:30 本地新闻")), qPrintable(rig.tip(0)));
        // 更新节目指南 without the file: told, and the last good guide stays.
        QVERIFY(QFile::remove(file));
        rig.choose(0, "guideUpdateItem");
        QMessageBox *message = nullptr;
        QTRY_VERIFY((message = rig.form->findChild<QMessageBox *>(QStringLiteral("guideMessage"))));
        QVERIFY2(message->text().startsWith(QStringLiteral("节目指南未能更新：")), qPrintable(message->text()));
        message->close();
        QVERIFY(rig.tip(0).contains(QStringLiteral("正在播出 19:00–19:30 本地新闻")));

        rig.open(Entries::ListFile, at(0, 19, 10));
        QCOMPARE(rig.guide->chosenSource(), file);
        rig.tick();
        QCOMPARE(rig.guide->source(), file);
        rig.guide->chooseSource(QString());
        QCOMPARE(loadGuideSourceChoice(rig.dir.path()), QString());
        QCOMPARE(rig.guide->source(), rig.url("/guide.xml"));
    }

    void sourceDialogAccepts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty: the playlist's or service's guide") << "  " << true;
        QTest::newRow("https") << "https://epg.example/e.xml.gz" << true;
        QTest::newRow("address without host") << "http://" << false;
        QTest::newRow("other scheme") << "ftp://epg.example/e.xml" << false;
        QTest::newRow("existing file") << QStringLiteral(CHENGYU_DEMO_DIR "/lists/dianshibiao.ini") << true;
        QTest::newRow("file address") << QStringLiteral("file://" CHENGYU_DEMO_DIR "/lists/dianshibiao.ini") << true;
        QTest::newRow("missing file") << QStringLiteral(CHENGYU_DEMO_DIR "/没有.xml") << false;
        QTest::newRow("folder") << QStringLiteral(CHENGYU_DEMO_DIR) << false;
    }
    void sourceDialogAccepts()
    {
        QFETCH(QString, text);
        QTEST(GuideSourceDialog::acceptable(text), "accepted");
    }
};

QTEST_MAIN(TestGuideWindow)
#include "tst_guidewindow.moc"

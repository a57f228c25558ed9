#include "form1controls.h"
#include "guide/guidesource.h"
#include "guide/guideview.h"
#include "guide/guidewidgets.h"
#include "guide/programguide.h"
#include "guidexml.h"
#include "platform/codepage936.h"
#include "recordingstreamside.h"
#include "servicedata.h"
#include "servicehost.h"
#include "servicerouter.h"
#include "shell/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <ctime>
#include <memory>

namespace {

const QString kUnknown = QStringLiteral("本地频道");

// The reference service in this process, counting the guide requests it answers.
struct Service
{
    ServiceData data;
    ServiceRouter router{data};
    ServiceHost host{1, router};
    int guideRequests = 0;

    bool start()
    {
        QString error;
        if (!data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error) || host.start(0) == 0)
            return false;
        data.setPageBase(host.baseUrl());
        QObject::connect(&host, &ServiceHost::answered, &host, [this](const QString &line) {
            guideRequests += line.contains(QLatin1String(" /guide.xml ")) ? 1 : 0;
        });
        return true;
    }
    QString url(const char *path) const { return host.baseUrl() + QLatin1String(path); }
};

enum class Entries { Playlist, ListFile };

struct Window
{
    std::unique_ptr<Form1> form;
    GuideView *guide = nullptr;
};

// Form1 on the service, its entries from the service's playlist (with
// url-tvg, tvg-id and tvg-shift) or from the demo list file (names only).
Window openWindow(const QTemporaryDir &dir, Service &service, Entries entries, QDateTime clock = {})
{
    const QString tvFile = dir.filePath(QStringLiteral("dianshibiao.ini"));
    QFile demo(QStringLiteral(CHENGYU_DEMO_DIR "/lists/dianshibiao.ini"));
    QFile list(tvFile);
    // The demo list and one channel the service's guide does not know.
    if (entries == Entries::ListFile && !list.exists() && demo.open(QIODevice::ReadOnly)
        && list.open(QIODevice::WriteOnly))
        list.write(demo.readAll() + cp936::fromUnicode(kUnknown + QStringLiteral("\r\nhttp://local/1\r\n")));
    list.close();
    // The radio list is there, so the start-up downloads nothing.
    QFile radio(dir.filePath(QStringLiteral("diantaibiao.ini")));
    if (radio.open(QIODevice::WriteOnly))
        radio.write("\xd6\xd0\xb9\xfa\xd6\xae\xc9\xf9\r\nhttp://radio/1\r\n");
    radio.close();
    Window w;
    w.form = std::make_unique<Form1>(dir.path(), ServiceHosts{service.host.baseUrl(), service.host.baseUrl()},
                                     recordingWebViewFactory(), recordingPlayerViewFactory());
    w.guide = w.form->findChild<GuideView *>();
    if (clock.isValid())
        w.guide->setClock([clock] { return clock; });
    w.form->show();
    controls(*w.form).Timer1->stop();
    if (entries == Entries::Playlist)
        w.form->importPlaylist(service.url("/playlist/tv.m3u8"));
    return w;
}

// Runs the start-up schedule to its end, as Timer1 would.
void finishStartup(Form1 &form)
{
    for (int tick = 1; tick <= 10; ++tick)
        controls(form).schedule->Timer1_Timer();
}

// Opens the window, finishes its start-up and waits for the service's guide.
bool openWithGuide(Window &w, const QTemporaryDir &dir, Service &service, Entries entries, const QDateTime &clock)
{
    w = openWindow(dir, service, entries, clock);
    QSignalSpy changed(&w.guide->programGuide(), &ProgramGuide::guideChanged);
    finishStartup(*w.form);
    return changed.wait(20000) || w.guide->programGuide().guide();
}

int rowOf(const ListBox *list, const QString &name)
{
    for (int r = 0; r < list->ListCount(); ++r) {
        if (list->List(r).section(QLatin1Char('.'), 1).trimmed() == name)
            return r;
    }
    return -1;
}

// The tooltip the list shows when the mouse rests on the row; empty when none.
QString restOnRow(ListBox *list, int row)
{
    QToolTip::hideText();
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QHelpEvent rest(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &rest);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

QString accessibleName(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<none>");
}

// Right-clicks the row and returns the open context menu.
QMenu *openMenu(Form1 &form, ListBox *list, int row)
{
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(&form, at));
    if (!QTest::qWaitFor([] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); }))
        return nullptr;
    return static_cast<QMenu *>(QApplication::activePopupWidget());
}

void choose(QMenu *menu, const char *item)
{
    QAction *action = menu->findChild<QAction *>(QLatin1String(item));
    QVERIFY(action && action->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

QDateTime at(int dayOffset, int hour, int minute)
{
    return QDateTime(QDate::currentDate().addDays(dayOffset), QTime(hour, minute));
}

} // namespace

class TestGuideWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The service's day of programmes is a day of this zone, without
        // a change of summer time.
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    // The row's tooltip and the line over the player, for the entries of
    // the service's playlist and of the demo list file, at a fixed time.
    void tooltipAndLine_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDateTime>("clock");
        QTest::addColumn<QString>("now");  // the tooltip's line of what runs now; empty: no guide
        QTest::addColumn<QString>("line"); // how the line over the player begins
        const QString news = QStringLiteral("正在播出 19:00–19:30 新闻联播");
        const QString newsLine = QStringLiteral("正在播出 新闻联播 (19:00–19:30), 下一个 ");
        QTest::newRow("tvg-id") << Entries::Playlist << "湖南卫视" << at(0, 19, 10) << news << newsLine;
        QTest::newRow("tvg-shift -8") << Entries::Playlist << "凤凰卫视中文台" << at(0, 19, 10) << news << newsLine;
        QTest::newRow("late guide without tvg-shift") << Entries::ListFile << "凤凰卫视中文台" << at(1, 3, 10)
                                                      << "正在播出 03:00–03:30 新闻联播"
                                                      << "正在播出 新闻联播 (03:00–03:30), 下一个 ";
        QTest::newRow("CCTV-1 综合 by its normalised name") << Entries::ListFile << "CCTV-1 综合" << at(1, 19, 29)
                                                             << news << newsLine;
        QTest::newRow("across midnight") << Entries::ListFile << "湖南卫视" << at(0, 23, 50)
                                         << "正在播出 23:30–00:30 午夜剧场" << "正在播出 午夜剧场 (23:30–00:30), 下一个 ";
        QTest::newRow("not in the guide, playlist tip kept") << Entries::Playlist << "测试频道（需要User-Agent）"
                                                             << at(0, 19, 10) << QString() << QString();
        QTest::newRow("not in the guide, no tip") << Entries::ListFile << kUnknown << at(0, 19, 10)
                                                  << QString() << QString();
    }
    void tooltipAndLine()
    {
        QFETCH(Entries, entries);
        QFETCH(QString, name);
        QFETCH(QDateTime, clock);
        QFETCH(QString, now);
        QFETCH(QString, line);
        Service service;
        QVERIFY(service.start());
        QTemporaryDir dir;
        Window w;
        QVERIFY(openWithGuide(w, dir, service, entries, clock));
        ListBox *list = controls(*w.form).List2;
        const int row = rowOf(list, name);
        QVERIFY(row >= 0);

        // The playlist's own tip (its group) comes first, then now and next.
        const QString own = list->model()->index(row, 0).data(Qt::ToolTipRole).toString();
        QCOMPARE(own.isEmpty(), entries == Entries::ListFile);
        const QStringList tip = restOnRow(list, row).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList expectedStart = own.split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            + (now.isEmpty() ? QStringList() : QStringList{now});
        QCOMPARE(tip.mid(0, expectedStart.size()), expectedStart);
        QCOMPARE(tip.size(), expectedStart.size() + (now.isEmpty() ? 0 : 1));
        if (!now.isEmpty())
            QVERIFY2(tip.last().startsWith(QStringLiteral("下一个 ") + now.mid(11, 5) + u'–'), qPrintable(tip.last()));

        // Starting the channel shows the line over the player for five seconds.
        GuideLine *guideLine = w.guide->line();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
        QCOMPARE(guideLine->isVisible(), !line.isEmpty());
        if (line.isEmpty())
            return;
        QVERIFY2(guideLine->text().startsWith(line), qPrintable(guideLine->text()));
        QCOMPARE(accessibleName(guideLine), guideLine->text());
        QVERIFY(controls(*w.form).WebBrowser1->geometry().contains(guideLine->geometry().translated(
            controls(*w.form).WebBrowser1->pos())));
        QCOMPARE(guideLine->hideTimer()->interval(), 5000);
        QVERIFY(guideLine->hideTimer()->isActive());
        guideLine->hideTimer()->start(0); // its five seconds are over
        QTRY_VERIFY(!guideLine->isVisible());

        // The mouse resting on the picture shows it again.
        auto *player = static_cast<PlayerView *>(controls(*w.form).WebBrowser1);
        QHelpEvent rest(QEvent::ToolTip, QPoint(20, 20), player->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(player->engineSide(), &rest);
        QVERIFY(guideLine->isVisible());
        QVERIFY(guideLine->text().startsWith(line));
        // Not once the player shows something else.
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
        Service service;
        QVERIFY(service.start());
        QTemporaryDir dir;
        Window w;
        QVERIFY(openWithGuide(w, dir, service, Entries::ListFile, at(0, 19, 10)));
        ListBox *list = controls(*w.form).List2;

        QMenu *menu = openMenu(*w.form, list, rowOf(list, kUnknown));
        QVERIFY(menu);
        QVERIFY(!menu->findChild<QAction *>(QStringLiteral("guideScheduleItem")));
        menu->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());

        menu = openMenu(*w.form, list, rowOf(list, QStringLiteral("湖南卫视")));
        QVERIFY(menu);
        choose(menu, "guideScheduleItem");
        GuideScheduleDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = w.form->findChild<GuideScheduleDialog *>(QStringLiteral("guideSchedule"))));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("节目单 - 湖南卫视"));
        QListWidget *rows = dialog->findChild<QListWidget *>(QStringLiteral("scheduleList"));
        QStringList texts;
        for (int r = 0; r < rows->count(); ++r)
            texts << rows->item(r)->text();
        QVERIFY2(texts.first().startsWith(QStringLiteral("今天 ")), qPrintable(texts.first()));
        const qsizetype tomorrow = texts.indexOf(QRegularExpression(QStringLiteral("明天 .*")));
        QVERIFY2(tomorrow > 1, qPrintable(texts.join(u'|')));
        // Today ends with the late show across midnight; tomorrow begins after it.
        QCOMPARE(texts.at(tomorrow - 1), QStringLiteral("23:30–00:30 午夜剧场"));
        QVERIFY2(texts.at(tomorrow + 1).startsWith(QStringLiteral("00:30–")), qPrintable(texts.at(tomorrow + 1)));
        QCOMPARE(texts.filter(QStringLiteral("新闻联播")).size(), 2);
        QCOMPARE(texts.filter(QStringLiteral("正在播出")), QStringList{"正在播出 19:00–19:30 新闻联播"});
        QCOMPARE(rows->currentItem()->text(), QStringLiteral("正在播出 19:00–19:30 新闻联播"));
        QVERIFY(rows->currentItem()->font().bold());
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(rows);
        QVERIFY(face);
        QStringList spoken;
        for (int c = 0; c < face->childCount(); ++c)
            spoken << face->child(c)->text(QAccessible::Name);
        QVERIFY2(spoken.contains(QStringLiteral("正在播出 19:00–19:30 新闻联播")), qPrintable(spoken.join(u'|')));
        dialog->close();
    }

    // The cached guide is read at start; the source is asked once the
    // start-up schedule is over, and only when the cache is due.
    void fetchedAtStartWhenDue_data()
    {
        QTest::addColumn<int>("cacheAgeHours"); // -1: no cache
        QTest::addColumn<bool>("fetched");
        QTest::newRow("no cache") << -1 << true;
        QTest::newRow("cache of an hour") << 1 << false;
        QTest::newRow("cache of 11 hours") << 11 << false;
        QTest::newRow("cache of 13 hours") << 13 << true;
    }
    void fetchedAtStartWhenDue()
    {
        QFETCH(int, cacheAgeHours);
        QFETCH(bool, fetched);
        Service service;
        QVERIFY(service.start());
        QTemporaryDir dir;
        if (cacheAgeHours >= 0) {
            Window first = openWindow(dir, service, Entries::ListFile);
            const qint64 then = QDateTime::currentSecsSinceEpoch() - cacheAgeHours * 3600;
            first.guide->programGuide().setClock([then] { return then; });
            QSignalSpy changed(&first.guide->programGuide(), &ProgramGuide::guideChanged);
            finishStartup(*first.form);
            QVERIFY(changed.wait(20000));
            QCOMPARE(service.guideRequests, 1);
            service.guideRequests = 0;
        }

        Window w = openWindow(dir, service, Entries::ListFile, at(1, 19, 10));
        ProgramGuide &guide = w.guide->programGuide();
        ListBox *list = controls(*w.form).List2;
        if (cacheAgeHours >= 0) {
            QTRY_VERIFY(guide.guide());
            QCOMPARE(restOnRow(list, 0).split(u'\n').value(0), QStringLiteral("正在播出 19:00–19:30 新闻联播"));
        }
        // Nothing is asked while the start-up runs.
        for (int tick = 1; tick <= 9; ++tick)
            controls(*w.form).schedule->Timer1_Timer();
        QVERIFY(!guide.isUpdating());
        controls(*w.form).schedule->Timer1_Timer();
        QCOMPARE(guide.isUpdating(), fetched);
        QCOMPARE(w.guide->source(), service.url("/guide.xml"));
        if (fetched) {
            QTRY_VERIFY_WITH_TIMEOUT(!guide.isUpdating(), 20000);
            QCOMPARE(service.guideRequests, 1);
            QCOMPARE(restOnRow(list, 0).split(u'\n').value(0), QStringLiteral("正在播出 19:00–19:30 新闻联播"));
        }
        QCOMPARE(service.guideRequests, fetched ? 1 : 0);
    }

    // 节目指南来源…: a file chosen there is read and kept for the next run;
    // an empty choice goes back to the playlist's guide.
    void chosenSourceIsKept()
    {
        Service service;
        QVERIFY(service.start());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("本地指南.xml"));
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            const QDateTime now = QDateTime::currentDateTime();
            out.write(serviceGuideXml(service.data.tv(), now).replace("新闻联播", "本地新闻"));
        }
        {
            Window w;
            QVERIFY(openWithGuide(w, dir, service, Entries::Playlist, at(0, 19, 10)));
            QCOMPARE(w.guide->source(), service.url("/guide.xml")); // the playlist's url-tvg
            ListBox *list = controls(*w.form).List2;
            QMenu *menu = openMenu(*w.form, list, 0);
            QVERIFY(menu);
            choose(menu, "guideSourceItem");
            GuideSourceDialog *dialog = nullptr;
            QTRY_VERIFY((dialog = w.form->findChild<GuideSourceDialog *>()));
            auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("guideSourceBox"));
            QVERIFY(box->text().isEmpty());
            box->setText(file);
            QSignalSpy changed(&w.guide->programGuide(), &ProgramGuide::guideChanged);
            dialog->accept();
            QVERIFY(changed.wait(20000));
            QVERIFY2(restOnRow(list, 0).contains(QStringLiteral("正在播出 19:00–19:30 本地新闻")),
                     qPrintable(restOnRow(list, 0)));
        }
        Window w = openWindow(dir, service, Entries::ListFile, at(0, 19, 10));
        QCOMPARE(w.guide->chosenSource(), file);
        finishStartup(*w.form);
        QCOMPARE(w.guide->source(), file);

        w.guide->chooseSource(QString());
        QCOMPARE(loadGuideSourceChoice(dir.path()), QString());
        QCOMPARE(w.guide->source(), service.url("/guide.xml"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.guide->programGuide().isUpdating(), 20000);
        QVERIFY(restOnRow(controls(*w.form).List2, 0).contains(QStringLiteral("正在播出 19:00–19:30 新闻联播")));
    }

    // What 节目指南来源… lets through.
    void sourceDialogAccepts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty: the playlist's or service's guide") << "  " << true;
        QTest::newRow("http") << "http://epg.example/guide.xml.gz" << true;
        QTest::newRow("https") << "https://epg.example/e.xml" << true;
        QTest::newRow("address without host") << "http://" << false;
        QTest::newRow("other scheme") << "ftp://epg.example/e.xml" << false;
        QTest::newRow("existing file") << QStringLiteral(CHENGYU_DEMO_DIR "/lists/dianshibiao.ini") << true;
        QTest::newRow("existing file as address")
            << QStringLiteral("file://" CHENGYU_DEMO_DIR "/lists/dianshibiao.ini") << true;
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

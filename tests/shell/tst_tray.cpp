#include "recordingstreamside.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "shell/tray.h"

#include <QAction>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

#ifdef CHENGYU_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

const ServiceHosts kHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};
const QString kBlank = QStringLiteral("about:blank");
const QString kTip = QStringLiteral("澄屿高清网络电视 V2.4");

RecordingWebView *player(Form1 &form) { return static_cast<RecordingWebView *>(controls(form).WebBrowser1); }

// A shown main window whose desktop has a notification area unless told otherwise.
std::unique_ptr<Form1> shownForm(const QTemporaryDir &dir, bool notificationArea = true,
                                 const WebViewFactory &makePlayerView = {})
{
    auto form = std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory(), makePlayerView);
    if (notificationArea)
        controls(*form).tray->setAvailabilityCheck([] { return true; });
    else
        controls(*form).tray->setAvailabilityCheck([] { return false; });
    form->show();
    controls(*form).Timer1->stop(); // keep the start-up schedule out
    // A window manager ignores a minimise request for a window it has not taken on yet.
    static_cast<void>(QTest::qWaitForWindowExposed(form.get()));
    return form;
}

#ifdef CHENGYU_HAVE_XCB
// Asks the window manager to iconify the window (ICCCM WM_CHANGE_STATE), which
// is what its title-bar button does. Minimising through the toolkit instead
// would also mark the window to start iconic when it is next mapped.
bool iconifyThroughWindowManager(QWidget *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *c = x11->connection();
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 15, "WM_CHANGE_STATE"), nullptr);
    if (!atom)
        return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = atom->atom;
    event.data.data32[0] = 3; // IconicState
    free(atom);
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
    return true;
}
#else
bool iconifyThroughWindowManager(QWidget *) { return false; }
#endif

// The user minimises the window. On a real desktop the window manager does
// it and reports the new state back.
void minimise(Form1 &form)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        return;
    }
    if (!iconifyThroughWindowManager(&form))
        form.windowHandle()->showMinimized();
    QTRY_VERIFY(form.isMinimized());
}

// The user releases a button over the icon.
void activate(Form1 &form, QSystemTrayIcon::ActivationReason reason)
{
    QSystemTrayIcon *icon = controls(form).tray->icon();
    QVERIFY(icon);
    Q_EMIT icon->activated(reason);
}

int iconCount(const Form1 &form) { return controls(form).tray->findChildren<QSystemTrayIcon *>().size(); }

bool hasDesktopWindowManager()
{
    return QGuiApplication::platformName() == QLatin1String("xcb")
        && !QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty();
}

QString xprop(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), arguments);
    if (!process.waitForFinished(5000))
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // ---- The Tray on its own ----

    void addShowsOneIconWithTipAndWindowIcon()
    {
        QWidget window;
        window.setWindowIcon(QIcon(QPixmap(32, 32)));
        Tray tray(&window);
        tray.setAvailabilityCheck([] { return true; });
        const TrayIconRecord record = mainWindowTrayRecord(Tray::handleOf(&window), Tray::handleOf(window.windowIcon()));
        QVERIFY(tray.notify(Tray::Add, record));
        QSystemTrayIcon *icon = tray.icon();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), kTip);
        QCOMPARE(icon->icon().cacheKey(), window.windowIcon().cacheKey());
        // A later add for the same window and id changes nothing.
        QVERIFY(!tray.notify(Tray::Add, record));
        QCOMPARE(tray.icon(), icon);
        QCOMPARE(tray.findChildren<QSystemTrayIcon *>().size(), 1);
    }

    void addFails_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("otherWindow");
        QTest::newRow("no notification area") << false << 88 << false;
        QTest::newRow("record size zero") << true << 0 << false;
        QTest::newRow("record size wrong") << true << 504 << false;
        QTest::newRow("another window") << true << 88 << true;
    }
    void addFails()
    {
        QFETCH(bool, available);
        QFETCH(int, size);
        QFETCH(bool, otherWindow);
        QWidget window;
        QWidget other;
        Tray tray(&window);
        tray.setAvailabilityCheck([available] { return available; });
        TrayIconRecord record = mainWindowTrayRecord(Tray::handleOf(otherWindow ? &other : &window), 0);
        record.cbSize = quint32(size);
        QVERIFY(!tray.notify(Tray::Add, record));
        QVERIFY(!tray.icon());
        QVERIFY(tray.findChildren<QSystemTrayIcon *>().isEmpty());
    }

    void onlyTheValidFieldsAreUsed()
    {
        QWidget window;
        window.setWindowIcon(QIcon(QPixmap(32, 32)));
        Tray tray(&window);
        tray.setAvailabilityCheck([] { return true; });
        TrayIconRecord record = mainWindowTrayRecord(Tray::handleOf(&window), Tray::handleOf(window.windowIcon()));
        record.uFlags = TrayIconRecord::IconValid;
        QVERIFY(tray.notify(Tray::Add, record));
        QVERIFY(tray.icon()->toolTip().isEmpty());
        QVERIFY(!tray.icon()->icon().isNull());
        QSignalSpy notified(&tray, &Tray::notification);
        Q_EMIT tray.icon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(notified.size(), 0); // no message field, no notifications
    }

    void unknownIconHandleShowsNoPicture()
    {
        QWidget window;
        window.setWindowIcon(QIcon(QPixmap(32, 32)));
        Tray tray(&window);
        tray.setAvailabilityCheck([] { return true; });
        const TrayIconRecord record = mainWindowTrayRecord(Tray::handleOf(&window), 12345);
        QVERIFY(tray.notify(Tray::Add, record));
        QVERIFY(tray.icon()->icon().isNull());
        QCOMPARE(tray.icon()->toolTip(), kTip);
    }

    void deleteRemovesOnlyTheNamedIcon()
    {
        QWidget window;
        Tray tray(&window);
        tray.setAvailabilityCheck([] { return true; });
        const TrayIconRecord record = mainWindowTrayRecord(Tray::handleOf(&window), 0);
        QVERIFY(!tray.notify(Tray::Delete, record)); // nothing added yet
        QVERIFY(tray.notify(Tray::Add, record));
        TrayIconRecord other = record;
        other.uID = 2;
        QVERIFY(!tray.notify(Tray::Delete, other));
        QVERIFY(!tray.notify(Tray::Delete, TrayIconRecord()));
        QVERIFY(tray.icon());
        QVERIFY(tray.notify(Tray::Delete, record));
        QVERIFY(!tray.icon());
        QVERIFY(tray.findChildren<QSystemTrayIcon *>().isEmpty());
        QVERIFY(!tray.notify(Tray::Delete, record));
    }

    void notificationsCarryButtonReleases_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QList<int>>("messages");
        QTest::newRow("Trigger") << int(QSystemTrayIcon::Trigger) << QList<int>{514};
        QTest::newRow("DoubleClick") << int(QSystemTrayIcon::DoubleClick) << QList<int>{514};
        QTest::newRow("Context") << int(QSystemTrayIcon::Context) << QList<int>{517};
        QTest::newRow("MiddleClick") << int(QSystemTrayIcon::MiddleClick) << QList<int>{520};
        QTest::newRow("Unknown") << int(QSystemTrayIcon::Unknown) << QList<int>{};
    }
    void notificationsCarryButtonReleases()
    {
        QFETCH(int, reason);
        QWidget window;
        Tray tray(&window);
        tray.setAvailabilityCheck([] { return true; });
        QVERIFY(tray.notify(Tray::Add, mainWindowTrayRecord(Tray::handleOf(&window), 0)));
        QList<int> seen;
        connect(&tray, &Tray::notification, &tray, [&seen](int message) { seen.append(message); });
        Q_EMIT tray.icon()->activated(QSystemTrayIcon::ActivationReason(reason));
        QTEST(seen, "messages");
    }

    // What the toolkit reports and what it stands for. A double click comes
    // as Trigger, then DoubleClick: two left-button releases.
    void mouseMessages_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("restores");
        QTest::newRow("left click") << int(QSystemTrayIcon::Trigger) << 514 << true;
        QTest::newRow("second release of a double click") << int(QSystemTrayIcon::DoubleClick) << 514 << true;
        QTest::newRow("right click") << int(QSystemTrayIcon::Context) << 517 << true;
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << 520 << false;
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << 0 << false;
    }
    void mouseMessages()
    {
        QFETCH(int, reason);
        QFETCH(int, message);
        QCOMPARE(trayMouseMessage(QSystemTrayIcon::ActivationReason(reason)), message);
        QTEST(restoresFromTray(message), "restores");
    }

    // ---- The main window going to the tray and back ----

    void tvViewStopsAndResumesTheChannel_data()
    {
        QTest::addColumn<int>("reason");
        QTest::newRow("left button") << int(QSystemTrayIcon::Trigger);
        QTest::newRow("right button") << int(QSystemTrayIcon::Context);
    }
    void tvViewStopsAndResumesTheChannel()
    {
        QFETCH(int, reason);
        QTemporaryDir dir;
        auto form = shownForm(dir);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->ListMode(), ViewMode::Tv);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

        minimise(*form);
        QCoreApplication::processEvents();
        QCOMPARE(lastWindowClosed.size(), 0); // hidden in the tray, the program goes on
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/1"));
        QVERIFY(!form->isVisible());
        QSystemTrayIcon *icon = controls(*form).tray->icon();
        QVERIFY(icon && icon->isVisible());
        QCOMPARE(icon->toolTip(), kTip);
        QVERIFY(!icon->icon().isNull());
        QCOMPARE(form->TrayIconData().cbSize, 88u);
        QCOMPARE(form->TrayIconData().uID, 1u);
        QCOMPARE(form->TrayIconData().uFlags, 7u);
        QCOMPARE(form->TrayIconData().hWnd, Tray::handleOf(form.get()));
        QCOMPARE(form->TrayIconData().hIcon, Tray::handleOf(form->windowIcon()));

        activate(*form, QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(controls(*form).tray->icon(), icon); // the icon stays until shutdown
    }

    void tvViewStopsAndResumesAStream()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir, true, recordingPlayerViewFactory());
        auto *view = qobject_cast<PlayerView *>(controls(*form).WebBrowser1);
        QVERIFY(view);
        auto *stream = static_cast<RecordingStreamSide *>(view->streamSide());
        const QString live = QStringLiteral("http://127.0.0.1:9/live/a.m3u8|User-Agent=x");
        view->Navigate(live);

        minimise(*form);
        QCoreApplication::processEvents();
        QCOMPARE(form->ResumeUrl(), live);
        QCOMPARE(stream->calls, (QStringList{"play " + live, "stop"}));
        QVERIFY(!view->isStreaming());

        activate(*form, QSystemTrayIcon::Trigger);
        QCOMPARE(stream->calls, (QStringList{"play " + live, "stop", "play " + live}));
        QCOMPARE(view->LocationURL(), live);
    }

    void otherViewsKeepPlaying_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("radio view") << 2;
        QTest::newRow("player-only view") << 0;
    }
    void otherViewsKeepPlaying()
    {
        QFETCH(int, view);
        QTemporaryDir dir;
        auto form = shownForm(dir);
        if (view == 2)
            controls(*form).jiemian->trigger();
        else
            Q_EMIT controls(*form).Image1->Click();
        QCOMPARE(form->ListMode(), ViewMode(view));
        player(*form)->Navigate(QStringLiteral("http://radio/1"));
        const QStringList before = player(*form)->navigations;

        minimise(*form);
        QVERIFY(!form->isVisible());
        QVERIFY(controls(*form).tray->icon());
        QCOMPARE(form->ResumeUrl(), kBlank); // untouched since start
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(form->isVisible());
        QCOMPARE(player(*form)->navigations, before);
    }

    void secondMinimiseAddsNoIcon()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        QSystemTrayIcon *first = controls(*form).tray->icon();
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        player(*form)->Navigate(QStringLiteral("http://tv/2"));
        minimise(*form);
        QVERIFY(!form->isVisible());
        QCOMPARE(controls(*form).tray->icon(), first);
        QCOMPARE(iconCount(*form), 1);
        // The second trip remembers the channel playing then.
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/2"));
        activate(*form, QSystemTrayIcon::Context);
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/2"));
    }

    void layoutWhileInTheTrayKeepsTheChannel()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        // A VIP answer arriving now runs the layout again.
        form->setWindowTitle(QStringLiteral("澄屿高清网络电视 V2.7 账号：abc VIP用户"));
        form->Form_Resize();
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/1"));
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        QVERIFY(!form->isVisible());
        QCOMPARE(iconCount(*form), 1);
        activate(*form, QSystemTrayIcon::Trigger);
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
    }

    void stateReportWhileHiddenDoesNotResume()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        QVERIFY(!form->isVisible());
        // Some window systems report a withdrawn window as no longer minimised.
        form->setWindowState(Qt::WindowNoState);
        QVERIFY(!form->isVisible());
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(form->isVisible());
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
    }

    void doubleClickRestoresTwiceHarmlessly()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        QSignalSpy notified(controls(*form).tray, &Tray::notification);
        activate(*form, QSystemTrayIcon::Trigger);
        activate(*form, QSystemTrayIcon::DoubleClick);
        QCOMPARE(notified.size(), 2);
        QCOMPARE(notified.at(0).at(0).toInt(), 514);
        QCOMPARE(notified.at(1).at(0).toInt(), 514);
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowState(), Qt::WindowNoState);
        // The channel resumed once; the second release found the window back.
        QCOMPARE(player(*form)->navigations.count(QStringLiteral("http://tv/1")), 2); // played, resumed
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
    }

    void otherMessagesLeaveTheWindowInTheTray()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        activate(*form, QSystemTrayIcon::MiddleClick);
        activate(*form, QSystemTrayIcon::Unknown);
        for (int message : {512, 513, 515, 516, 518, 519, 520})
            controls(*form).windowTray->Form_MouseMove(message);
        QVERIFY(!form->isVisible());
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        controls(*form).windowTray->Form_MouseMove(517);
        QVERIFY(form->isVisible());
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
    }

    void iconClickWhileOpenLeavesThePlayerAlone()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        activate(*form, QSystemTrayIcon::Trigger);
        player(*form)->Navigate(QStringLiteral("http://tv/2"));
        const int navigations = player(*form)->navigations.size();
        activate(*form, QSystemTrayIcon::Trigger);
        QCOMPARE(player(*form)->navigations.size(), navigations);
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/2"));
        QVERIFY(form->isVisible());
    }

    void withoutNotificationAreaTheTaskBarIsTheWayBack()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir, false);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        QVERIFY(form->isVisible()); // minimised, still in the task bar
        QVERIFY(form->isMinimized());
        QVERIFY(!controls(*form).tray->icon());
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/1"));
        form->Form_Resize(); // a layout run while minimised keeps the channel
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/1"));

        form->setWindowState(Qt::WindowNoState); // restored from the task bar
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));
        // Resizing afterwards does not navigate again.
        const int navigations = player(*form)->navigations.size();
        form->resize(form->width() + 20, form->height());
        form->Form_Resize();
        QCOMPARE(player(*form)->navigations.size(), navigations);
    }

    void withoutNotificationAreaRadioIsNotTouched()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir, false);
        controls(*form).jiemian->trigger();
        player(*form)->Navigate(QStringLiteral("http://radio/1"));
        minimise(*form);
        form->setWindowState(Qt::WindowNoState);
        QCOMPARE(player(*form)->navigations, (QStringList{kBlank, QStringLiteral("http://radio/1")}));
        QCOMPARE(form->ResumeUrl(), kBlank);
    }

    void shutdownRemovesTheIcon()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        minimise(*form);
        QPointer<QSystemTrayIcon> icon = controls(*form).tray->icon();
        QVERIFY(icon);
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(form->close());
        QVERIFY(icon.isNull());
        QVERIFY(!controls(*form).tray->icon());
    }

    void shutdownWithoutIconStillCloses()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        QVERIFY(form->close());
        QVERIFY(!controls(*form).tray->icon());
        QVERIFY(!form->isVisible());
    }

    // ---- Always on top ----

    void alwaysOnTopTwice()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QRect geometry = form->geometry();
        const WId id = form->winId();

        controls(*form).chuangkou->trigger();
        QCOMPARE(form->OnTop(), qint16(1));
        QCOMPARE(controls(*form).chuangkou->text(), QStringLiteral("窗口置顶√"));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form->isVisible());
        QCOMPARE(form->geometry(), geometry);
        QCOMPARE(form->winId(), id);

        controls(*form).chuangkou->trigger();
        QCOMPARE(form->OnTop(), qint16(0));
        QCOMPARE(controls(*form).chuangkou->text(), QStringLiteral("窗口置顶"));
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form->isVisible());
        QCOMPARE(form->geometry(), geometry);
        QCOMPARE(form->winId(), id);
        // The rest of the window's flags are as before.
        QVERIFY(form->windowFlags().testFlag(Qt::Window));
    }

    void alwaysOnTopBeforeTheWindowIsShown()
    {
        QTemporaryDir dir;
        Form1 form(dir.path(), kHosts, recordingWebViewFactory());
        controls(form).chuangkou->trigger();
        QCOMPARE(form.OnTop(), qint16(1));
        form.show();
        controls(form).Timer1->stop();
        QVERIFY(form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void alwaysOnTopKeepsOneIcon()
    {
        QTemporaryDir dir;
        auto form = shownForm(dir);
        minimise(*form);
        const quint32 handle = form->TrayIconData().hWnd;
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        controls(*form).chuangkou->trigger();
        minimise(*form);
        QCOMPARE(form->TrayIconData().hWnd, handle);
        QCOMPARE(iconCount(*form), 1);
        QVERIFY(form->close());
        QVERIFY(!controls(*form).tray->icon());
    }

    // ---- On a real desktop ----

    // Back and forth at a user's pace: the window comes back every time and
    // never slips into the tray again by itself.
    void repeatedTripsOnRealDesktop()
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("no notification area on this desktop");
        QTemporaryDir dir;
        auto form = std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory());
        form->show();
        controls(*form).Timer1->stop();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        for (int trip = 0; trip < 5; ++trip) {
            const QString channel = QStringLiteral("http://tv/%1").arg(trip);
            player(*form)->Navigate(channel);
            QTest::qWait(200);
            minimise(*form);
            QTRY_VERIFY(!form->isVisible());
            QTest::qWait(200);
            QCOMPARE(player(*form)->lastNavigation(), kBlank); // nothing plays out of sight
            activate(*form, QSystemTrayIcon::Trigger);
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            QTest::qWait(200);
            QVERIFY(form->isVisible());
            QVERIFY(!form->isMinimized());
            QCOMPARE(player(*form)->lastNavigation(), channel);
        }
        QCOMPARE(iconCount(*form), 1);
    }

    void realNotificationArea()
    {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("no notification area on this desktop");
        QTemporaryDir dir;
        auto form = std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory());
        form->show();
        controls(*form).Timer1->stop();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        player(*form)->Navigate(QStringLiteral("http://tv/1"));
        minimise(*form);
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(controls(*form).tray->icon());
        QTRY_VERIFY(!controls(*form).tray->icon()->geometry().isEmpty());
        activate(*form, QSystemTrayIcon::Trigger);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/1"));

        // A second trip remembers the channel playing then.
        player(*form)->Navigate(QStringLiteral("http://tv/2"));
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        minimise(*form);
        QTRY_VERIFY(!form->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(lastWindowClosed.size(), 0);
        QCOMPARE(form->ResumeUrl(), QStringLiteral("http://tv/2"));
        QCOMPARE(player(*form)->lastNavigation(), kBlank);
        activate(*form, QSystemTrayIcon::Context);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(!form->isMinimized());
        QCOMPARE(player(*form)->lastNavigation(), QStringLiteral("http://tv/2"));

        QVERIFY(form->close());
        QVERIFY(!controls(*form).tray->icon());
    }

    void realWindowManagerKeepsTheWindowAbove()
    {
        if (!hasDesktopWindowManager()
            || !xprop({QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")})
                    .contains(QLatin1String("_NET_WM_STATE_ABOVE")))
            QSKIP("no window manager that keeps windows above others");
        QTemporaryDir dir;
        auto form = std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory());
        form->show();
        controls(*form).Timer1->stop();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QString id = QString::number(form->winId());
        auto state = [&id] { return xprop({QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE")}); };
        QVERIFY(!state().contains(QLatin1String("_NET_WM_STATE_ABOVE")));
        controls(*form).chuangkou->trigger();
        QTRY_VERIFY(state().contains(QLatin1String("_NET_WM_STATE_ABOVE")));
        controls(*form).chuangkou->trigger();
        QTRY_VERIFY(!state().contains(QLatin1String("_NET_WM_STATE_ABOVE")));
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"

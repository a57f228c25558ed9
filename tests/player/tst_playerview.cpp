#include "player/playeroverlays.h"
#include "player/playersettings.h"
#include "player/playerview.h"
#include "player/streamplayerview.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "support/recordingstreamside.h"
#include "support/testhttpserver.h"

#include <QAccessible>
#include <QFile>
#include <QHash>
#include <QOpenGLWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <mpv/client.h>

#include <clocale>

namespace {

const QString kBlank = QStringLiteral("about:blank");
const QString kPage = QStringLiteral("http://127.0.0.1:9/play/tv/1");
const QString kHls = QStringLiteral("http://127.0.0.1:9/live/a.m3u8");

struct Composite
{
    RecordingWebView *engine = new RecordingWebView;
    RecordingStreamSide *stream = new RecordingStreamSide;
    PlayerView view{engine, stream};
};

MpvOptions silentOptions()
{
    MpvOptions options;
    options.videoOutput = "null";
    options.audioOutput = "null";
    options.retry.attempts = 0;
    return options;
}

QStringList keyNames(const QString &text) { return text.isEmpty() ? QStringList() : text.split(QLatin1Char(' ')); }

// Presses "Up", "Down", "M", "A", "WheelUp" or "WheelDown" on the view.
void press(QWidget *view, const QString &key)
{
    static const QHash<QString, Qt::Key> keys = {{"Up", Qt::Key_Up}, {"Down", Qt::Key_Down}, {"M", Qt::Key_M}};
    if (!key.startsWith(QLatin1String("Wheel"))) {
        QTest::keyClick(view, keys.value(key, Qt::Key_A));
        return;
    }
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, key == QLatin1String("WheelUp") ? 120 : -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

class tst_PlayerView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void routing_data();
    void routing();
    void downloadIsHandedOver();
    void pageEventsComeFromTheEngine();

    void volumeControls_data();
    void volumeControls();
    void volumeIsKept();
    void fullScreen();
    void stateLineSaysWhy();
    void withoutOpenGLTheSoundPlays();
    void quickSelectKeepsItsKeys();
};

void tst_PlayerView::initTestCase() { std::setlocale(LC_NUMERIC, "C"); }

void tst_PlayerView::routing_data()
{
    QTest::addColumn<QStringList>("navigations");
    QTest::addColumn<QStringList>("engine");
    QTest::addColumn<QStringList>("stream");
    QTest::addColumn<QString>("location");

    using L = QStringList;
    const QString withHeaders = kHls + QStringLiteral("|User-Agent=xyz");
    const QString radio = QStringLiteral("http://127.0.0.1:9/radio/a.mp3");
    const QString rtsp = QStringLiteral("rtsp://10.0.0.2/cam");
    QTest::newRow("a page goes to the engine") << L{kPage} << L{kPage} << L{} << kPage;
    QTest::newRow("a stream goes to the stream side, the engine goes blank")
        << L{kHls} << L{kBlank} << L{"play " + kHls} << kHls;
    QTest::newRow("headers stay with the address") << L{withHeaders} << L{kBlank} << L{"play " + withHeaders} << withHeaders;
    QTest::newRow("by scheme") << L{rtsp} << L{kBlank} << L{"play " + rtsp} << rtsp;
    QTest::newRow("a page after a stream stops it")
        << L{kHls, kPage} << L{kBlank, kPage} << L{"play " + kHls, "stop"} << kPage;
    QTest::newRow("a stream replaces a stream")
        << L{kHls, radio} << L{kBlank, kBlank} << L{"play " + kHls, "play " + radio} << radio;
    QTest::newRow("the same stream twice plays twice")
        << L{radio, radio} << L{kBlank, kBlank} << L{"play " + radio, "play " + radio} << radio;
    QTest::newRow("the blank page stops the stream") << L{kHls, kBlank} << L{kBlank, kBlank} << L{"play " + kHls, "stop"}
                                                     << kBlank;
    QTest::newRow("the blank page in capitals") << L{kHls, "ABOUT:BLANK"} << L{kBlank, "ABOUT:BLANK"}
                                                << L{"play " + kHls, "stop"} << "ABOUT:BLANK";
    QTest::newRow("an empty address changes nothing") << L{kHls, ""} << L{kBlank} << L{"play " + kHls} << kHls;
    QTest::newRow("a page with junk after | stays a page")
        << L{kPage + "|;;=="} << L{kPage + "|;;=="} << L{} << kPage + "|;;==";
}

void tst_PlayerView::routing()
{
    QFETCH(QStringList, navigations);
    QFETCH(QStringList, engine);
    QFETCH(QStringList, stream);
    QFETCH(QString, location);
    Composite c;
    for (const QString &url : navigations)
        c.view.Navigate(url);
    QCOMPARE(c.engine->navigations, engine);
    QCOMPARE(c.stream->calls, stream);
    QCOMPARE(c.view.LocationURL(), location);
    QCOMPARE(c.view.isStreaming(), !c.stream->calls.isEmpty() && c.stream->calls.last().startsWith("play "));
    QCOMPARE(c.stream->isVisibleTo(&c.view), c.view.isStreaming());
    QCOMPARE(c.engine->isVisibleTo(&c.view), !c.view.isStreaming());
}

void tst_PlayerView::downloadIsHandedOver()
{
    Composite c;
    const QString live = QStringLiteral("http://127.0.0.1:9/live?id=7");
    c.view.Navigate(live);
    QCOMPARE(c.engine->navigations, QStringList{live});
    Q_EMIT c.engine->StreamOffered(live);
    QCOMPARE(c.stream->calls, QStringList{"play " + live});
    QCOMPARE(c.engine->navigations, (QStringList{live, kBlank}));
    QCOMPARE(c.view.LocationURL(), live);
    QVERIFY(c.view.isStreaming());

    // Only a page load is handed over: while a stream plays, an offer is ignored.
    Q_EMIT c.engine->StreamOffered(QStringLiteral("http://127.0.0.1:9/other"));
    QCOMPARE(c.stream->calls.size(), 1);
    c.view.Navigate(kBlank);
    QCOMPARE(c.stream->calls.last(), QStringLiteral("stop"));
}

// Pop-ups still come only from pages.
void tst_PlayerView::pageEventsComeFromTheEngine()
{
    Composite c;
    QSignalSpy newWindow(&c.view, &WebView::NewWindow2);
    QSignalSpy complete(&c.view, &WebView::DocumentComplete);
    c.view.Navigate(kPage);
    c.engine->finishLoad(QStringLiteral("text"));
    Q_EMIT c.engine->NewWindow2(nullptr, nullptr);
    QCOMPARE(newWindow.size(), 1);
    QCOMPARE(complete.value(0).value(0).toString(), kPage);
}

void tst_PlayerView::volumeControls_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("volume");
    QTest::addColumn<bool>("muted");
    QTest::addColumn<QString>("shown");

    QTest::newRow("up") << "Up" << 75 << false << QStringLiteral("音量 75%");
    QTest::newRow("down, wheel down") << "Down WheelDown" << 60 << false << QStringLiteral("音量 60%");
    QTest::newRow("never above 100") << "Up Up Up Up Up Up Up Up" << 100 << false << QStringLiteral("音量 100%");
    QTest::newRow("wheel up") << "WheelUp" << 75 << false << QStringLiteral("音量 75%");
    QTest::newRow("mute") << "M" << 70 << true << QStringLiteral("静音");
    QTest::newRow("mute and back") << "M M" << 70 << false << QStringLiteral("音量 70%");
    QTest::newRow("louder ends the mute") << "M Up" << 75 << false << QStringLiteral("音量 75%");
    QTest::newRow("softer keeps the mute") << "M Down" << 65 << true << QStringLiteral("静音");
    QTest::newRow("other keys are not the player's") << "A" << 70 << false << QString();
}

void tst_PlayerView::volumeControls()
{
    QFETCH(QString, keys);
    QFETCH(int, volume);
    QFETCH(bool, muted);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    StreamPlayerView view(silentOptions(), dir.filePath(QStringLiteral("player.ini")));
    view.resize(320, 180);
    view.show();
    QCOMPARE(view.player()->volume(), playersettings::DefaultVolume);
    for (const QString &key : keyNames(keys))
        press(&view, key);
    QCOMPARE(view.player()->volume(), volume);
    QCOMPARE(view.player()->isMuted(), muted);
    auto *osd = view.findChild<VolumeOsd *>(QStringLiteral("VolumeOsd"));
    QVERIFY(osd);
    QCOMPARE(osd->isVisible(), !shown.isEmpty());
    if (!shown.isEmpty())
        QCOMPARE(osd->text(), shown);
}

void tst_PlayerView::volumeIsKept()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("player.ini"));
    {
        // The program's player view keeps the volume in the file it is given.
        std::unique_ptr<WebView> view(playerViewFactory(recordingWebViewFactory(), settings)(nullptr));
        StreamSide *stream = static_cast<PlayerView *>(view.get())->streamSide();
        press(stream, QStringLiteral("Down"));
        press(stream, QStringLiteral("Down"));
        press(stream, QStringLiteral("M"));
    }
    StreamPlayerView next(silentOptions(), settings);
    next.show();
    QCOMPARE(next.player()->volume(), 60);
    QVERIFY(!next.player()->isMuted()); // a run never starts silent

    // The engine gets the kept volume when it starts.
    TestHttpServer server;
    next.play(server.url(QStringLiteral("/missing.mp3")));
    QVERIFY(next.player()->handle());
    double engineVolume = 0;
    QVERIFY(mpv_get_property(next.player()->handle(), "volume", MPV_FORMAT_DOUBLE, &engineVolume) >= 0);
    QCOMPARE(engineVolume, 60.0);
    press(&next, QStringLiteral("Up"));
    auto *osd = next.findChild<VolumeOsd *>(QStringLiteral("VolumeOsd"));
    QVERIFY(osd->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!osd->isVisible(), 5000); // shown briefly

    // A file that holds nonsense gives the default.
    QFile junk(settings);
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("[player]\nvolume=loud\n") > 0);
    junk.close();
    QCOMPARE(StreamPlayerView(silentOptions(), settings).player()->volume(), playersettings::DefaultVolume);
}

void tst_PlayerView::fullScreen()
{
    QTemporaryDir dir;
    auto *stream = new StreamPlayerView(silentOptions(), dir.filePath(QStringLiteral("player.ini")));
    QWidget window;
    PlayerView view(new RecordingWebView, stream, &window);
    view.setGeometry(10, 20, 320, 180);
    window.resize(400, 300);
    window.show();
    view.Navigate(kHls);
    QCOMPARE(stream->geometry(), QRect(0, 0, 320, 180));

    QTest::keyClick(stream, Qt::Key_F11);
    QVERIFY(stream->isFullScreenView());
    QVERIFY(stream->isWindow());
    QTest::keyClick(stream, Qt::Key_Escape);
    QVERIFY(!stream->isFullScreenView());
    QVERIFY(!stream->isWindow());
    QCOMPARE(stream->parentWidget(), &view);
    QCOMPARE(stream->geometry(), QRect(0, 0, 320, 180));

    QTest::mouseDClick(stream, Qt::LeftButton);
    QVERIFY(stream->isFullScreenView());
    QTest::mouseDClick(stream, Qt::LeftButton);
    QVERIFY(!stream->isFullScreenView());

    // Esc outside full screen is left to the window; going to a page ends full screen.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(stream, &escape);
    QVERIFY(!escape.isAccepted());
    QTest::keyClick(stream, Qt::Key_F11);
    view.Navigate(kPage);
    QVERIFY(!stream->isFullScreenView());
    QVERIFY(!stream->isWindow());
}

void tst_PlayerView::stateLineSaysWhy()
{
    QTemporaryDir dir;
    StreamPlayerView view(silentOptions(), dir.filePath(QStringLiteral("player.ini")));
    view.resize(480, 270);
    view.show();
    auto *state = view.findChild<StateLine *>(QStringLiteral("StreamState"));
    auto *station = view.findChild<QLabel *>(QStringLiteral("StationName"));
    QVERIFY(state && station);

    view.play(TestHttpServer::refusedBaseUrl() + QStringLiteral("/radio.mp3"));
    QCOMPARE(state->text(), QStringLiteral("正在连接…"));
    QCOMPARE(station->text(), QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(state->text(), QStringLiteral("播放失败：服务器拒绝连接"));
    QVERIFY(state->isVisible());
    QCOMPARE(accessibleName(state), state->text());
    QVERIFY(view.findChild<RadioCard *>()->isVisible()); // no black rectangle without a picture

    view.stop();
    QCOMPARE(state->text(), QString());
    QVERIFY(!state->isVisible());
}

void tst_PlayerView::withoutOpenGLTheSoundPlays()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("needs a platform without OpenGL widgets");
    QFile video(QStringLiteral(CHENGYU_MEDIA_DIR "/ts360.ts"));
    QVERIFY(video.open(QIODevice::ReadOnly));
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/tv.ts"), TestHttpAnswer::text(video.readAll(), 200, "video/mp2t"));
    QTemporaryDir dir;
    MpvOptions options; // a picture through OpenGL, as in the program
    options.audioOutput = "null";
    StreamPlayerView view(options, dir.filePath(QStringLiteral("player.ini")));
    view.resize(480, 270);
    view.show();
    view.play(server.url(QStringLiteral("/tv.ts")));
    QTRY_COMPARE_WITH_TIMEOUT(view.player()->status().state, PlayState::Playing, 20000);
    QVERIFY(!view.player()->hasVideo());
    QVERIFY(!view.findChild<QOpenGLWidget *>());
    QVERIFY(view.findChild<RadioCard *>()->isVisible());
}

void tst_PlayerView::quickSelectKeepsItsKeys()
{
    QTemporaryDir dir;
    StreamPlayerView *stream = nullptr;
    auto makePlayer = [&stream, &dir](QWidget *parent) -> WebView * {
        stream = new StreamPlayerView(silentOptions(), dir.filePath(QStringLiteral("player.ini")));
        return new PlayerView(new RecordingWebView, stream, parent);
    };
    Form1 form(dir.path(), ServiceHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")},
               recordingWebViewFactory(), makePlayer);
    form.show();
    const Form1Controls c(form);
    c.Timer1->stop();
    c.WebBrowser1->Navigate(kHls);
    c.Text5->setFocus();
    QTRY_VERIFY(c.Text5->hasFocus());
    for (Qt::Key key : {Qt::Key_M, Qt::Key_Up, Qt::Key_Down, Qt::Key_F11})
        QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(c.Text5->text(), QStringLiteral("m"));
    QVERIFY(c.Text5->hasFocus());
    QCOMPARE(stream->player()->volume(), playersettings::DefaultVolume);
    QVERIFY(!stream->player()->isMuted());
    QVERIFY(!stream->isFullScreenView());
}

QTEST_MAIN(tst_PlayerView)
#include "tst_playerview.moc"

// Stream start and playback cost against the reference service on loopback:
//   click to first frame of the live HLS channel (goal: at most 1 s),
//   click to first audio of the MP3 station,
//   CPU of this process while the 720p channel plays.
// "Click" is the player view's Navigate; "first frame" and "first audio" are
// the engine's report that playback has begun (the first picture is shown,
// the sound device has started). With a display that has OpenGL the picture
// goes through the render widget, otherwise it is decoded and not shown.
// Usage: bench_streamstart [runs] [seconds of playback for the CPU figure]
#include "player/playerview.h"
#include "player/streamplayerview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>

namespace {

// A page side that loads nothing: only the stream side is measured.
class NoPageView : public WebView
{
public:
    using WebView::WebView;
    void Navigate(const QString &) override {}
    void setSilent(bool) override {}
    bool Silent() const override { return true; }
    QString LocationURL() const override { return {}; }
    std::optional<QString> BodyText() const override { return std::nullopt; }
    int ReadyState() const override { return Complete; }
};

// The reference service in a process of its own, so that its work is not counted.
QString startService(QProcess &service)
{
    service.setProgram(QStringLiteral(CHENGYU_SERVICE_EXE));
    service.setArguments({QStringLiteral("--data"), QStringLiteral(CHENGYU_DEMO_DIR), QStringLiteral("--media"),
                          QStringLiteral(CHENGYU_MEDIA_DIR), QStringLiteral("--port1"), QStringLiteral("0"),
                          QStringLiteral("--only-host1")});
    service.start();
    QString output;
    QElapsedTimer waited;
    waited.start();
    static const QRegularExpression listening(QStringLiteral("host1 listening on (\\S+)"));
    while (waited.elapsed() < 10000) {
        service.waitForReadyRead(100);
        output += QString::fromUtf8(service.readAllStandardOutput());
        const QRegularExpressionMatch match = listening.match(output);
        if (match.hasMatch())
            return match.captured(1);
    }
    return {};
}

struct Player
{
    QTemporaryDir dir;
    StreamPlayerView *stream;
    std::unique_ptr<PlayerView> view;

    explicit Player(const MpvOptions &options)
        : stream(new StreamPlayerView(options, dir.filePath(QStringLiteral("player.ini"))))
        , view(std::make_unique<PlayerView>(new NoPageView, stream))
    {
        view->resize(1280, 720);
        view->show();
        static_cast<void>(QTest::qWaitForWindowExposed(view.get()));
    }

    // Milliseconds from Navigate to playback, -1 when it did not start within 20 s.
    double start(const QString &url)
    {
        QElapsedTimer clock;
        clock.start();
        view->Navigate(url);
        while (stream->player()->status().state != PlayState::Playing && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return stream->player()->status().state == PlayState::Playing ? clock.nsecsElapsed() / 1e6 : -1;
    }
};

void report(const char *what, QList<double> ms)
{
    if (ms.isEmpty() || std::count(ms.begin(), ms.end(), -1.0) > 0) {
        std::printf("%-52s did not start\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s median %6.0f ms   min %6.0f   max %6.0f   (%lld runs)\n", what, ms.at(ms.size() / 2),
                ms.first(), ms.last(), qlonglong(ms.size()));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 10;
    const int seconds = argc > 2 ? qMax(1, atoi(argv[2])) : 20;

    QProcess service;
    const QString base = startService(service);
    if (base.isEmpty()) {
        std::fprintf(stderr, "the reference service did not start\n");
        return 1;
    }
    const QString hls = base + QStringLiteral("/live/chengyu.m3u8");
    const QString mp3 = base + QStringLiteral("/radio/chengyu.mp3");
    const QString ts = base + QStringLiteral("/live/erta.ts");

    MpvOptions options;
    options.audioOutput = "null"; // no sound device on the build machines
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        options.videoOutput = "null"; // the program would show no picture here; decode it all the same
    {
        Player probe(options);
        probe.start(hls);
        std::printf("platform %s, picture %s\n", qPrintable(QGuiApplication::platformName()),
                    probe.stream->findChild<QOpenGLWidget *>() ? "through OpenGL" : "decoded, not shown");
    }

    QList<double> firstClick, switched, audio;
    for (int i = 0; i < runs; ++i) {
        Player player(options); // a new player: the engine core is made by the click
        firstClick << player.start(hls);
    }
    {
        Player player(options);
        player.start(ts);
        for (int i = 0; i < runs; ++i) {
            switched << player.start(hls);
            player.start(ts);
        }
    }
    for (int i = 0; i < runs; ++i) {
        Player player(options);
        audio << player.start(mp3);
    }
    report("HLS 720p, click to first frame (new player)", firstClick);
    report("HLS 720p, click to first frame (from another channel)", switched);
    report("MP3 station, click to first audio (new player)", audio);

    Player player(options);
    if (player.start(hls) < 0)
        return 1;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("%-52s %6.0f %% of one core over %d s\n", "HLS 720p playing, CPU of the program",
                100.0 * cpu / (wall.elapsed() / 1000.0), seconds);
    service.kill();
    service.waitForFinished();
    return 0;
}

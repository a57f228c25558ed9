#include "player/failure.h"
#include "player/streamsession.h"

#include <QTest>

namespace {

// A retry policy of 3 retries from 1 s on, all earned back after 30 s of play.
const RetryPolicy kPolicy{3, 1000, 30000};

FailureInfo failureNamed(const QString &name)
{
    if (name == QLatin1String("refused"))
        return {Failure::Refused};
    if (name == QLatin1String("timeout"))
        return {Failure::TimedOut};
    if (name == QLatin1String("403"))
        return {Failure::Forbidden, 403};
    if (name == QLatin1String("503"))
        return {Failure::HttpStatus, 503};
    if (name == QLatin1String("format"))
        return {Failure::Unsupported};
    if (name == QLatin1String("loop"))
        return {Failure::PlaylistLoop};
    return {Failure::Dropped};
}

// Runs steps such as "start", "loaded vod", "play 0", "wait 45", "resume",
// "fail refused 100", "end 5000", "retry", "stop" and returns the pauses the
// session asked for ("-" for none).
QStringList run(StreamSession &session, const QStringList &steps)
{
    QStringList pauses;
    for (const QString &step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        const qint64 at = w.last().toLongLong();
        auto record = [&pauses](int pause) { pauses.append(pause < 0 ? QStringLiteral("-") : QString::number(pause)); };
        if (w[0] == QLatin1String("start"))
            session.start();
        else if (w[0] == QLatin1String("stop"))
            session.stop();
        else if (w[0] == QLatin1String("retry"))
            session.retryStarted();
        else if (w[0] == QLatin1String("loaded"))
            session.loaded(w[1] == QLatin1String("live"));
        else if (w[0] == QLatin1String("play"))
            session.playbackStarted(at);
        else if (w[0] == QLatin1String("wait"))
            session.bufferingChanged(true, w[1].toInt());
        else if (w[0] == QLatin1String("resume"))
            session.bufferingChanged(false, 100);
        else if (w[0] == QLatin1String("fail"))
            record(session.failed(failureNamed(w[1]), at));
        else if (w[0] == QLatin1String("end"))
            record(session.ended(LoadEnd::Finished, {Failure::Dropped}, at));
        else
            qFatal("unknown step %s", qPrintable(step));
    }
    return pauses;
}

} // namespace

class tst_StreamSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void classify_data();
    void classify();
    void transient_data();
    void transient();
    void session_data();
    void session();
};

void tst_StreamSession::classify_data()
{
    QTest::addColumn<int>("end");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("text");

    const int failed = int(LoadEnd::Failed);
    const QString openFailed = QStringLiteral("stream: Failed to open http://127.0.0.1:1/a.m3u8.");
    QTest::newRow("refused") << failed
                             << QStringList{QStringLiteral("ffmpeg: tcp: Connection to tcp://127.0.0.1:1 failed: "
                                                           "Connection refused"),
                                            openFailed}
                             << QStringLiteral("服务器拒绝连接");
    QTest::newRow("host not found")
        << failed
        << QStringList{QStringLiteral("ffmpeg: tcp: Failed to resolve hostname nowhere.invalid: Name or service not known"),
                       openFailed}
        << QStringLiteral("找不到服务器");
    QTest::newRow("403") << failed << QStringList{QStringLiteral("ffmpeg: http: HTTP error 403 Forbidden"), openFailed}
                         << QStringLiteral("服务器拒绝访问（403）");
    QTest::newRow("401") << failed << QStringList{QStringLiteral("ffmpeg: http: HTTP error 401 Unauthorized")}
                         << QStringLiteral("服务器拒绝访问（401）");
    QTest::newRow("404") << failed << QStringList{QStringLiteral("ffmpeg: http: HTTP error 404 Not Found"), openFailed}
                         << QStringLiteral("节目不存在（404）");
    QTest::newRow("500") << failed << QStringList{QStringLiteral("ffmpeg: http: HTTP error 500 Internal Server Error")}
                         << QStringLiteral("服务器出错（HTTP 500）");
    QTest::newRow("rtsp 404") << failed
                              << QStringList{QStringLiteral("ffmpeg: rtsp: method DESCRIBE failed: 404 Not Found")}
                              << QStringLiteral("节目不存在（404）");
    QTest::newRow("timed out") << failed << QStringList{QStringLiteral("ffmpeg: tcp: Connection timed out")}
                               << QStringLiteral("连接超时");
    QTest::newRow("unknown format") << int(LoadEnd::UnknownFormat)
                                    << QStringList{QStringLiteral("cplayer: Failed to recognize file format.")}
                                    << QStringLiteral("不支持的格式");
    QTest::newRow("no protocol") << failed
                                 << QStringList{QStringLiteral("stream: No protocol handler found to open URL mmsx://a")}
                                 << QStringLiteral("不支持的格式");
    QTest::newRow("cut off") << int(LoadEnd::Finished)
                             << QStringList{QStringLiteral("ffmpeg: http: Stream ends prematurely at 32132, should be "
                                                           "18446744073709551615")}
                             << QStringLiteral("节目流中断");
    QTest::newRow("no sound device for a station")
        << int(LoadEnd::NoSound)
        << QStringList{QStringLiteral("ao/alsa: Playback open error: No such file or directory"),
                       QStringLiteral("cplayer: Could not open/initialize audio device -> no sound.")}
        << QStringLiteral("找不到声音设备");
    QTest::newRow("end without a word") << int(LoadEnd::Finished) << QStringList{} << QStringLiteral("节目流中断");
    QTest::newRow("failure without a word") << failed << QStringList{openFailed} << QStringLiteral("无法打开节目流");
    QTest::newRow("the cause wins over an older status")
        << failed << QStringList{QStringLiteral("ffmpeg: tcp: Connection refused"), QStringLiteral("HTTP error 404")}
        << QStringLiteral("服务器拒绝连接");
}

void tst_StreamSession::classify()
{
    QFETCH(int, end);
    QFETCH(QStringList, log);
    QFETCH(QString, text);
    QCOMPARE(failureText(classifyFailure(LoadEnd(end), log)), text);
}

void tst_StreamSession::transient_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("transient");
    QTest::newRow("refused") << int(Failure::Refused) << 0 << true;
    QTest::newRow("time-out") << int(Failure::TimedOut) << 0 << true;
    QTest::newRow("dropped") << int(Failure::Dropped) << 0 << true;
    QTest::newRow("host not found") << int(Failure::HostNotFound) << 0 << true;
    QTest::newRow("503") << int(Failure::HttpStatus) << 503 << true;
    QTest::newRow("429") << int(Failure::HttpStatus) << 429 << false;
    QTest::newRow("403") << int(Failure::Forbidden) << 403 << false;
    QTest::newRow("404") << int(Failure::NotFound) << 404 << false;
    QTest::newRow("format") << int(Failure::Unsupported) << 0 << false;
    QTest::newRow("page") << int(Failure::NotAStream) << 0 << false;
    QTest::newRow("loop") << int(Failure::PlaylistLoop) << 0 << false;
    QTest::newRow("headers") << int(Failure::BadHeaders) << 0 << false;
    QTest::newRow("no sound device") << int(Failure::NoSound) << 0 << false;
}

void tst_StreamSession::transient()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    QFETCH(bool, transient);
    QCOMPARE(isTransient({Failure(kind), status}), transient);
}

void tst_StreamSession::session_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("pauses");
    QTest::addColumn<QString>("text");

    using L = QStringList;
    QTest::newRow("connecting") << L{"start"} << L{} << QStringLiteral("正在连接…");
    QTest::newRow("loaded is still connecting") << L{"start", "loaded live"} << L{} << QStringLiteral("正在连接…");
    QTest::newRow("waiting before the first picture is still connecting")
        << L{"start", "wait 30"} << L{} << QStringLiteral("正在连接…");
    QTest::newRow("playing") << L{"start", "loaded live", "play 0"} << L{} << QStringLiteral("正在播放");
    QTest::newRow("buffering with a percentage")
        << L{"start", "play 0", "wait 45"} << L{} << QStringLiteral("正在缓冲 45%");
    QTest::newRow("buffering over") << L{"start", "play 0", "wait 45", "resume"} << L{} << QStringLiteral("正在播放");
    QTest::newRow("first picture while still waiting")
        << L{"start", "wait 20", "play 0"} << L{} << QStringLiteral("正在缓冲 20%");
    QTest::newRow("stopped") << L{"start", "play 0", "stop"} << L{} << QString();

    QTest::newRow("refused: first retry after 1 s")
        << L{"start", "fail refused 0"} << L{"1000"} << QStringLiteral("服务器拒绝连接，1 秒后重试（第 1/3 次）");
    QTest::newRow("retry connecting shows the attempt")
        << L{"start", "fail refused 0", "retry"} << L{"1000"} << QStringLiteral("正在重新连接…（第 1/3 次重试）");
    QTest::newRow("pauses grow")
        << L{"start", "fail refused 0", "retry", "fail refused 0", "retry", "fail timeout 0"} << L{"1000", "2000", "4000"}
        << QStringLiteral("连接超时，4 秒后重试（第 3/3 次）");
    QTest::newRow("gives up after the last retry")
        << L{"start", "fail refused 0", "retry", "fail refused 0", "retry", "fail refused 0", "retry", "fail refused 0"}
        << L{"1000", "2000", "4000", "-"} << QStringLiteral("播放失败：服务器拒绝连接（已重试 3 次）");
    QTest::newRow("a short play does not earn retries back")
        << L{"start", "fail refused 0", "retry", "play 100", "end 5000", "retry", "fail refused 6000"}
        << L{"1000", "2000", "4000"} << QStringLiteral("服务器拒绝连接，4 秒后重试（第 3/3 次）");
    QTest::newRow("a steady play earns retries back")
        << L{"start", "fail refused 0", "retry", "fail refused 0", "retry", "play 100", "end 40000"} << L{"1000", "2000", "1000"}
        << QStringLiteral("节目流中断，1 秒后重试（第 1/3 次）");

    QTest::newRow("403 is not retried") << L{"start", "fail 403 0"} << L{"-"} << QStringLiteral("播放失败：服务器拒绝访问（403）");
    QTest::newRow("503 is retried") << L{"start", "fail 503 0"} << L{"1000"}
                                    << QStringLiteral("服务器出错（HTTP 503），1 秒后重试（第 1/3 次）");
    QTest::newRow("unsupported is not retried") << L{"start", "fail format 0"} << L{"-"} << QStringLiteral("播放失败：不支持的格式");
    QTest::newRow("a loop is not retried") << L{"start", "fail loop 0"} << L{"-"} << QStringLiteral("播放失败：播放列表指向自身");

    QTest::newRow("a live stream that ends is retried")
        << L{"start", "loaded live", "play 0", "end 1000"} << L{"1000"} << QStringLiteral("节目流中断，1 秒后重试（第 1/3 次）");
    QTest::newRow("a file that ends has ended") << L{"start", "loaded vod", "play 0", "end 1000"} << L{"-"} << QStringLiteral("播放结束");
    QTest::newRow("a file that breaks off is not retried")
        << L{"start", "loaded vod", "play 0", "fail refused 1000"} << L{"-"} << QStringLiteral("播放失败：服务器拒绝连接");

    QTest::newRow("nothing is reported once stopped") << L{"start", "stop", "fail refused 0"} << L{"-"} << QString();
    QTest::newRow("a new stream starts afresh")
        << L{"start", "fail refused 0", "retry", "fail refused 0", "start"} << L{"1000", "2000"} << QStringLiteral("正在连接…");
    QTest::newRow("a retry without a failure changes nothing") << L{"start", "play 0", "retry"} << L{} << QStringLiteral("正在播放");
}

void tst_StreamSession::session()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, pauses);
    QFETCH(QString, text);
    StreamSession session(kPolicy);
    QCOMPARE(run(session, steps), pauses);
    QCOMPARE(statusText(session.status()), text);
}

QTEST_APPLESS_MAIN(tst_StreamSession)
#include "tst_streamsession.moc"

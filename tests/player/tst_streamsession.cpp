#include "player/failure.h"
#include "player/streamsession.h"

#include <QHash>
#include <QTest>

namespace {

// A retry policy of 3 retries from 1 s on, all earned back after 30 s of play.
const RetryPolicy kPolicy{3, 1000, 30000};

const QHash<QString, FailureInfo> kFailures = {
    {"refused", {Failure::Refused}},   {"timeout", {Failure::TimedOut}},    {"403", {Failure::Forbidden, 403}},
    {"503", {Failure::HttpStatus, 503}}, {"loop", {Failure::PlaylistLoop}},
};

// Runs steps such as "start", "loaded vod", "play 0", "wait 45",
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
        else if (w[0] == QLatin1String("fail"))
            record(session.failed(kFailures.value(w[1]), at));
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
    void session_data();
    void session();
};

// The engine's own log lines (libmpv 0.35 with Debian's ffmpeg) and the reason shown.
void tst_StreamSession::classify_data()
{
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("text");

    const int failed = int(LoadEnd::Failed);
    QTest::newRow("refused") << failed << "ffmpeg: tcp: Connection to tcp://127.0.0.1:1 failed: Connection refused"
                             << QStringLiteral("服务器拒绝连接");
    QTest::newRow("host not found") << failed << "ffmpeg: tcp: Failed to resolve hostname a.invalid: Name or service not known"
                                    << QStringLiteral("找不到服务器");
    QTest::newRow("403") << failed << "ffmpeg: http: HTTP error 403 Forbidden" << QStringLiteral("服务器拒绝访问（403）");
    QTest::newRow("404") << failed << "ffmpeg: http: HTTP error 404 Not Found" << QStringLiteral("节目不存在（404）");
    QTest::newRow("rtsp 404") << failed << "ffmpeg: rtsp: method DESCRIBE failed: 404 Not Found"
                              << QStringLiteral("节目不存在（404）");
    QTest::newRow("500") << failed << "ffmpeg: http: HTTP error 500 Internal Server Error"
                         << QStringLiteral("服务器出错（HTTP 500）");
    QTest::newRow("timed out") << failed << "ffmpeg: tcp: Connection timed out" << QStringLiteral("连接超时");
    QTest::newRow("unknown format") << int(LoadEnd::UnknownFormat) << "cplayer: Failed to recognize file format."
                                    << QStringLiteral("不支持的格式");
    QTest::newRow("no protocol") << failed << "stream: No protocol handler found to open URL mmsx://a"
                                 << QStringLiteral("不支持的格式");
    QTest::newRow("cut off") << int(LoadEnd::Finished) << "ffmpeg: http: Stream ends prematurely at 32132"
                             << QStringLiteral("节目流中断");
    QTest::newRow("no sound device") << int(LoadEnd::NoSound) << "ao/alsa: Playback open error"
                                     << QStringLiteral("找不到声音设备");
    QTest::newRow("failure without a word") << failed << "stream: Failed to open http://h/a.m3u8."
                                            << QStringLiteral("无法打开节目流");
}

void tst_StreamSession::classify()
{
    QFETCH(int, end);
    QFETCH(QString, log);
    QFETCH(QString, text);
    QCOMPARE(failureText(classifyFailure(LoadEnd(end), {log})), text);
}

void tst_StreamSession::session_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("pauses");
    QTest::addColumn<QString>("text");

    using L = QStringList;
    QTest::newRow("connecting") << L{"start"} << L{} << QStringLiteral("正在连接…");
    QTest::newRow("playing") << L{"start", "loaded live", "play 0"} << L{} << QStringLiteral("正在播放");
    QTest::newRow("buffering with a percentage")
        << L{"start", "play 0", "wait 45"} << L{} << QStringLiteral("正在缓冲 45%");
    QTest::newRow("first picture while still waiting")
        << L{"start", "wait 20", "play 0"} << L{} << QStringLiteral("正在缓冲 20%");

    QTest::newRow("refused: first retry after 1 s")
        << L{"start", "fail refused 0"} << L{"1000"} << QStringLiteral("服务器拒绝连接，1 秒后重试（第 1/3 次）");
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
    QTest::newRow("a loop is not retried") << L{"start", "fail loop 0"} << L{"-"} << QStringLiteral("播放失败：播放列表指向自身");

    QTest::newRow("a live stream that ends is retried")
        << L{"start", "loaded live", "play 0", "end 1000"} << L{"1000"} << QStringLiteral("节目流中断，1 秒后重试（第 1/3 次）");
    QTest::newRow("a file that ends has ended") << L{"start", "loaded vod", "play 0", "end 1000"} << L{"-"} << QStringLiteral("播放结束");
    QTest::newRow("a file that breaks off is not retried")
        << L{"start", "loaded vod", "play 0", "fail refused 1000"} << L{"-"} << QStringLiteral("播放失败：服务器拒绝连接");

    QTest::newRow("nothing is reported once stopped") << L{"start", "stop", "fail refused 0"} << L{"-"} << QString();
    QTest::newRow("a new stream starts afresh")
        << L{"start", "fail refused 0", "retry", "fail refused 0", "start"} << L{"1000", "2000"} << QStringLiteral("正在连接…");
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

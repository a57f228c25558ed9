#include "player/mpvplayer.h"
#include "support/testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <mpv/client.h>

#include <clocale>

namespace {

// Decoding and showing nothing; failures retried once after a short pause.
MpvOptions testOptions(int stallTimeoutMs = 6000)
{
    MpvOptions options;
    options.videoOutput = "null";
    options.audioOutput = "null";
    options.stallTimeoutMs = stallTimeoutMs;
    options.retry = RetryPolicy{1, 200, 30000};
    return options;
}

QByteArray media(const QString &name)
{
    QFile file(QDir(QStringLiteral(CHENGYU_MEDIA_DIR)).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TestHttpAnswer binary(const QByteArray &body, const QByteArray &type)
{
    return TestHttpAnswer::text(body, 200, type);
}

// Whether the engine has nothing loaded: no stream runs on in the background.
bool engineIdle(const MpvPlayer &player)
{
    int idle = 0;
    return player.handle() && mpv_get_property(player.handle(), "idle-active", MPV_FORMAT_FLAG, &idle) >= 0 && idle;
}

} // namespace

class tst_MpvPlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void plays_data();
    void plays();
    void badInput_data();
    void badInput();
    void retriesAreShown();
    void stopLeavesNothingRunning();

private:
    TestHttpServer m_server;
};

void tst_MpvPlayer::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    QVERIFY(m_server.isListening());
    const QByteArray playlist = media(QStringLiteral("hls720/index.m3u8"));
    QVERIFY2(!playlist.isEmpty(), "the test streams are missing: build the test-media target");
    m_server.setAnswer(QStringLiteral("/vod/index.m3u8"), binary(playlist, "application/vnd.apple.mpegurl"));
    const QDir segments(QDir(QStringLiteral(CHENGYU_MEDIA_DIR)).filePath(QStringLiteral("hls720")));
    for (const QString &segment : segments.entryList({QStringLiteral("*.ts")}))
        m_server.setAnswer(QStringLiteral("/vod/") + segment, binary(media(QStringLiteral("hls720/") + segment), "video/mp2t"));

    const QByteArray mp3 = media(QStringLiteral("radio.mp3"));
    TestHttpAnswer cut = binary(mp3.left(12000), "audio/mpeg"); // 1.5 s, then the connection closes
    cut.headers += {{"Content-Length", "1000000"}, {"Connection", "close"}};
    m_server.setAnswer(QStringLiteral("/cut.mp3"), cut);
    m_server.setAnswer(QStringLiteral("/page.m3u8"),
                       TestHttpAnswer::html(QStringLiteral("<!DOCTYPE html>\n<html><body>\n<h1>502 Bad Gateway</h1>\n"
                                                           "</body></html>\n")));
    m_server.setAnswer(QStringLiteral("/self.m3u"),
                       TestHttpAnswer::text("#EXTM3U\n#EXTINF:-1,self\n" + m_server.url("/self.m3u").toUtf8() + "\n"));
    m_server.setAnswer(QStringLiteral("/ping.m3u"), TestHttpAnswer::text(m_server.url("/pong.m3u").toUtf8() + "\n"));
    m_server.setAnswer(QStringLiteral("/pong.m3u"), TestHttpAnswer::text(m_server.url("/ping.m3u").toUtf8() + "\n"));
    m_server.setAnswer(QStringLiteral("/silent.m3u8"), TestHttpAnswer::silent());
    m_server.setAnswer(QStringLiteral("/noise.ts"), binary(QByteArray(30000, '\x5a'), "video/mp2t"));
    m_server.setAnswer(QStringLiteral("/forbidden.m3u8"), TestHttpAnswer::text("no", 403));
    m_server.setAnswer(QStringLiteral("/busy.m3u8"), TestHttpAnswer::text("busy", 503));
}

void tst_MpvPlayer::plays_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("HLS") << m_server.url(QStringLiteral("/vod/index.m3u8"));
}

void tst_MpvPlayer::plays()
{
    QFETCH(QString, url);
    MpvPlayer player(testOptions());
    player.play(url);
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Playing, 20000);
    QCOMPARE(statusText(player.status()), QStringLiteral("正在播放"));
    const double start = player.position();
    QTRY_VERIFY_WITH_TIMEOUT(player.position() > start + 1.0, 15000);
}

void tst_MpvPlayer::badInput_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("reason");

    QString junk = QStringLiteral("|");
    while (junk.size() < 100 * 1024)
        junk += QStringLiteral(";;==&&");
    QTest::newRow("a page behind .m3u8") << m_server.url(QStringLiteral("/page.m3u8")) << QStringLiteral("地址给出的不是节目流");
    QTest::newRow("refused") << TestHttpServer::refusedBaseUrl() + QStringLiteral("/live.m3u8")
                             << QStringLiteral("服务器拒绝连接（已重试 1 次）");
    QTest::newRow("accepts and says nothing") << m_server.url(QStringLiteral("/silent.m3u8"))
                                              << QStringLiteral("连接超时（已重试 1 次）");
    QTest::newRow("stops mid-way") << m_server.url(QStringLiteral("/cut.mp3")) << QStringLiteral("节目流中断（已重试 1 次）");
    QTest::newRow("playlist points at itself") << m_server.url(QStringLiteral("/self.m3u"))
                                               << QStringLiteral("播放列表指向自身");
    QTest::newRow("two playlists point at each other") << m_server.url(QStringLiteral("/ping.m3u"))
                                                       << QStringLiteral("播放列表指向自身");
    QTest::newRow("junk after |") << m_server.url(QStringLiteral("/vod/index.m3u8|;;==&&"))
                                  << QStringLiteral("地址中“|”后的请求头无效");
    QTest::newRow("100 KB of junk after |") << m_server.url(QStringLiteral("/vod/index.m3u8")) + junk
                                            << QStringLiteral("地址中“|”后的请求头无效");
    QTest::newRow("noise") << m_server.url(QStringLiteral("/noise.ts")) << QStringLiteral("不支持的格式");
    QTest::newRow("403") << m_server.url(QStringLiteral("/forbidden.m3u8")) << QStringLiteral("服务器拒绝访问（403）");
    QTest::newRow("404") << m_server.url(QStringLiteral("/missing.m3u8")) << QStringLiteral("节目不存在（404）");
}

void tst_MpvPlayer::badInput()
{
    QFETCH(QString, url);
    QFETCH(QString, reason);
    MpvPlayer player(testOptions(2500));
    player.play(url);
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Failed, 20000);
    QCOMPARE(statusText(player.status()), QStringLiteral("播放失败：") + reason);
    if (player.handle())
        QTRY_VERIFY(engineIdle(player));
}

void tst_MpvPlayer::retriesAreShown()
{
    MpvOptions options = testOptions();
    options.retry = RetryPolicy{2, 300, 30000};
    MpvPlayer player(options);
    QStringList shown;
    connect(&player, &MpvPlayer::statusChanged, this, [&] {
        const QString text = statusText(player.status());
        if (shown.isEmpty() || shown.last() != text)
            shown << text;
    });
    player.play(TestHttpServer::refusedBaseUrl() + QStringLiteral("/live.m3u8"));
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Failed, 10000);
    const QStringList expected = {
        QStringLiteral("正在连接…"),
        QStringLiteral("服务器拒绝连接，1 秒后重试（第 1/2 次）"),
        QStringLiteral("正在重新连接…（第 1/2 次重试）"),
        QStringLiteral("服务器拒绝连接，1 秒后重试（第 2/2 次）"),
        QStringLiteral("正在重新连接…（第 2/2 次重试）"),
        QStringLiteral("播放失败：服务器拒绝连接（已重试 2 次）"),
    };
    QCOMPARE(shown, expected);
}

void tst_MpvPlayer::stopLeavesNothingRunning()
{
    MpvPlayer player(testOptions());
    player.play(m_server.url(QStringLiteral("/vod/index.m3u8")));
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Playing, 20000);
    player.stop();
    QCOMPARE(player.status().state, PlayState::Idle);
    QCOMPARE(statusText(player.status()), QString());
    QTRY_VERIFY(engineIdle(player));
    // A retry that was due is called off as well.
    player.play(m_server.url(QStringLiteral("/busy.m3u8")));
    QTRY_COMPARE(player.status().state, PlayState::Retrying);
    player.stop();
    const int requests = m_server.requestCount(QStringLiteral("/busy.m3u8"));
    QTest::qWait(600);
    QCOMPARE(player.status().state, PlayState::Idle);
    QCOMPARE(m_server.requestCount(QStringLiteral("/busy.m3u8")), requests);
}

QTEST_GUILESS_MAIN(tst_MpvPlayer)
#include "tst_mpvplayer.moc"

#include "player/mpvplayer.h"
#include "player/streamurl.h"
#include "servicedata.h"
#include "servicehost.h"
#include "servicerouter.h"
#include "streamchannels.h"
#include "support/testhttpserver.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
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

TestHttpAnswer binary(const QByteArray &body, const QByteArray &type)
{
    return TestHttpAnswer::text(body, 200, type);
}

// Waits until the stream has played on for `seconds` (a live loop may start
// its clock again, so only steps forward count).
bool playsOn(MpvPlayer &player, double seconds, int timeoutMs)
{
    double played = 0;
    double last = player.position();
    QMetaObject::Connection c = QObject::connect(&player, &MpvPlayer::positionChanged, [&](double now) {
        if (now > last && now - last < 1.0)
            played += now - last;
        last = now;
    });
    QElapsedTimer waited;
    waited.start();
    while (played < seconds && waited.elapsed() < timeoutMs && player.status().state == PlayState::Playing)
        QTest::qWait(50);
    QObject::disconnect(c);
    return played >= seconds;
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
    void radioShowsStationAndTitles();
    void soundDeviceMissing();
    void stopCallsOffTheRetry();
    void switchingTenTimesASecond();

private:
    QString service(const char *path) const { return m_service->baseUrl() + QLatin1String(path); }

    TestHttpServer m_server;
    ServiceData m_data;
    StreamMedia m_media;
    std::unique_ptr<ServiceRouter> m_router;
    std::unique_ptr<ServiceHost> m_service;
};

void tst_MpvPlayer::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    QString error;
    QVERIFY2(m_data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error), qPrintable(error));
    QVERIFY2(m_media.load(QStringLiteral(CHENGYU_MEDIA_DIR), &error), qPrintable(error));
    m_router = std::make_unique<ServiceRouter>(m_data, &m_media);
    m_service = std::make_unique<ServiceHost>(1, *m_router);
    QVERIFY(m_service->start(0));
    m_data.setPageBase(m_service->baseUrl());
    QVERIFY(m_server.isListening());
    TestHttpAnswer cut = binary(m_media.mp3().left(12000), "audio/mpeg"); // 1.5 s, then the connection closes
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
    m_server.setAnswer(QStringLiteral("/busy.m3u8"), TestHttpAnswer::text("busy", 503));
}

void tst_MpvPlayer::plays_data()
{
    QTest::addColumn<QString>("url");
    // Every stream channel of the demo lists, as the service lists it: live
    // HLS, MPEG-TS over HTTP, the one that needs its User-Agent, MP3 radio.
    int streams = 0;
    for (const QList<ServiceChannel> &list : {m_data.tv(), m_data.radio()}) {
        for (const ServiceChannel &channel : list) {
            if (streamurl::isStream(channel.url) && ++streams)
                QTest::newRow(qPrintable(channel.name)) << m_data.servedUrl(channel.url);
        }
    }
    QVERIFY(streams >= 4);
}

void tst_MpvPlayer::plays()
{
    QFETCH(QString, url);
    MpvPlayer player(testOptions());
    player.play(url);
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Playing, 20000);
    QCOMPARE(statusText(player.status()), QStringLiteral("正在播放"));
    QVERIFY(playsOn(player, 1.0, 15000));
}

void tst_MpvPlayer::radioShowsStationAndTitles()
{
    MpvPlayer player(testOptions());
    player.play(service("/radio/chengyu.mp3"));
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Playing, 20000);
    QVERIFY(!player.hasVideo());
    QTRY_COMPARE_WITH_TIMEOUT(player.stationName(), QString::fromUtf8(StreamChannels::StationName), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!player.nowPlaying().isEmpty(), 10000);
    const QString first = player.nowPlaying();
    QTRY_VERIFY_WITH_TIMEOUT(player.nowPlaying() != first && !player.nowPlaying().isEmpty(),
                             StreamChannels::TitleEveryMs * 3);
    QCOMPARE(player.status().state, PlayState::Playing);
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
    QTest::newRow("junk after |") << service("/live/chengyu.m3u8|;;==&&")
                                  << QStringLiteral("地址中“|”后的请求头无效");
    QTest::newRow("100 KB of junk after |") << service("/live/chengyu.m3u8") + junk
                                            << QStringLiteral("地址中“|”后的请求头无效");
    QTest::newRow("noise") << m_server.url(QStringLiteral("/noise.ts")) << QStringLiteral("不支持的格式");
    QTest::newRow("a channel that needs its User-Agent, without it")
        << service("/live/member.m3u8") << QStringLiteral("服务器拒绝访问（403）");
    QTest::newRow("the wrong User-Agent") << service("/live/member.m3u8|User-Agent=AnotherPlayer/1.0")
                                          << QStringLiteral("服务器拒绝访问（403）");
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

// Without a sound device a station cannot play, and says so; a TV channel
// still shows its picture.
void tst_MpvPlayer::soundDeviceMissing()
{
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("alsa.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("pcm.!default { type hw card 99 }\n");
    config.close();
    qputenv("ALSA_CONFIG_PATH", config.fileName().toLocal8Bit());
    MpvOptions options = testOptions();
    options.audioOutput = "alsa";

    MpvPlayer radio(options);
    radio.play(service("/radio/chengyu.mp3"));
    QTRY_COMPARE_WITH_TIMEOUT(radio.status().state, PlayState::Failed, 20000);
    QCOMPARE(statusText(radio.status()), QStringLiteral("播放失败：找不到声音设备"));

    MpvPlayer tv(options);
    tv.play(service("/live/chengyu.m3u8"));
    QTRY_COMPARE_WITH_TIMEOUT(tv.status().state, PlayState::Playing, 20000);
    QVERIFY(playsOn(tv, 1.0, 15000));
    qunsetenv("ALSA_CONFIG_PATH");
}

// A retry that is due when the stream is stopped is called off.
void tst_MpvPlayer::stopCallsOffTheRetry()
{
    MpvPlayer player(testOptions());
    player.play(m_server.url(QStringLiteral("/busy.m3u8")));
    QTRY_COMPARE(player.status().state, PlayState::Retrying);
    player.stop();
    const int requests = m_server.requestCount(QStringLiteral("/busy.m3u8"));
    QTest::qWait(600);
    QCOMPARE(player.status().state, PlayState::Idle);
    QCOMPARE(m_server.requestCount(QStringLiteral("/busy.m3u8")), requests);
    QTRY_VERIFY(engineIdle(player));
}

// A viewer flicks through the channels ten times a second for ten seconds,
// good and bad ones alike; the last one chosen plays, and nothing of the
// others is left running.
void tst_MpvPlayer::switchingTenTimesASecond()
{
    const QStringList channels = {
        service("/live/chengyu.m3u8"),
        service("/radio/chengyu.mp3"),
        TestHttpServer::refusedBaseUrl() + QStringLiteral("/a.m3u8"),
        service("/live/erta.ts"),
        m_server.url(QStringLiteral("/page.m3u8")),
        service("/live/member.m3u8|User-Agent=") + QLatin1String(StreamChannels::MemberAgent),
        m_server.url(QStringLiteral("/silent.m3u8")),
        service("/live/chengyu.m3u8|;;==&&"),
        m_server.url(QStringLiteral("/self.m3u")),
    };
    MpvPlayer player(testOptions());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 100; ++i) {
        player.play(channels.at(i % channels.size()));
        QTest::qWait(100);
    }
    QVERIFY2(clock.elapsed() < 30000, "switching held up the event loop");
    player.play(service("/live/chengyu.m3u8"));
    QTRY_COMPARE_WITH_TIMEOUT(player.status().state, PlayState::Playing, 20000);
    QVERIFY(playsOn(player, 1.0, 15000));
    QCOMPARE(player.address(), service("/live/chengyu.m3u8"));
    player.stop();
    QTRY_VERIFY(engineIdle(player));
}

QTEST_GUILESS_MAIN(tst_MpvPlayer)
#include "tst_mpvplayer.moc"

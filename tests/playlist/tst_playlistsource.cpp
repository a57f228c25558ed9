#include "account/fetch.h"
#include "guidexml.h"
#include "playlist/playlistsource.h"
#include "playlistpages.h"
#include "servicedata.h"
#include "servicehost.h"
#include "streamchannels.h"
#include "servicerouter.h"
#include "support/testhttpserver.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Failure = PlaylistSource::Failure;

const QByteArray kPlaylist = "#EXTM3U\n#EXTINF:-1,湖南卫视\nhttp://a/1\n#EXTINF:-1,B\nstreams/b.m3u8\n";

// Restores the fetch settings when a test ends, however it ends.
class SettingsOverride
{
public:
    explicit SettingsOverride(int idleTimeoutMs)
    {
        FetchSettings settings;
        settings.idleTimeoutMs = idleTimeoutMs;
        m_previous = setFetchSettings(settings);
    }
    ~SettingsOverride() { setFetchSettings(m_previous); }

private:
    FetchSettings m_previous;
};

QStringList urlsOf(const Playlist &playlist)
{
    QStringList urls;
    for (const PlaylistEntry &entry : playlist.entries)
        urls << entry.url;
    return urls;
}

} // namespace

class TestPlaylistSource : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void files();
    void filesThatGiveNothing();
    void urlImportSendsABrowserUserAgent();
    void urlImportFailures_data();
    void urlImportFailures();
    void referenceServicePlaylists();
};

void TestPlaylistSource::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("我的 列表.m3u"));
    QVERIFY(writeFile(path, kPlaylist));
    const QString relative = QUrl::fromLocalFile(dir.filePath(QStringLiteral("streams/b.m3u8"))).toString();

    for (const QString &source : {path, QUrl::fromLocalFile(path).toString(), QStringLiteral("  ") + path}) {
        const PlaylistSource read = loadPlaylist(source);
        QCOMPARE(read.failure, Failure::None);
        QCOMPARE(urlsOf(read.playlist), (QStringList{"http://a/1", relative}));
        QCOMPARE(read.playlist.entries.first().name, QStringLiteral("湖南卫视"));
    }
}

void TestPlaylistSource::filesThatGiveNothing()
{
    QTemporaryDir dir;
    QCOMPARE(loadPlaylist(dir.filePath(QStringLiteral("missing.m3u"))).failure, Failure::Missing);
    QCOMPARE(loadPlaylist(dir.path()).failure, Failure::Missing);

    const QString junk = dir.filePath(QStringLiteral("junk.m3u"));
    QVERIFY(writeFile(junk, QByteArray("\x00\x01\x02 no channel here\n#EXTINF:-1,x\n", 32)));
    QCOMPARE(loadPlaylist(junk).failure, Failure::NoEntries);

    // A file over the limit is refused before it is read (this one is sparse).
    const QString huge = dir.filePath(QStringLiteral("huge.m3u"));
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(100 * 1024 * 1024));
    file.close();
    const PlaylistSource read = loadPlaylist(huge);
    QCOMPARE(read.failure, Failure::TooLarge);
    QVERIFY(read.playlist.entries.isEmpty());
}

void TestPlaylistSource::urlImportSendsABrowserUserAgent()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/lists/tv.m3u8"), TestHttpAnswer::text(kPlaylist));

    const PlaylistSource read = loadPlaylist(server.url(QStringLiteral("/lists/tv.m3u8")));

    QCOMPARE(read.failure, Failure::None);
    QCOMPARE(urlsOf(read.playlist), (QStringList{"http://a/1", server.url(QStringLiteral("/lists/streams/b.m3u8"))}));
    QCOMPARE(server.lastRequestHeader("User-Agent"), QByteArray(PlaylistUserAgent));
    QVERIFY(QByteArray(PlaylistUserAgent).startsWith("Mozilla/5.0 ("));
    // The service fetch itself still sends its own.
    FetchUrlText(server.url(QStringLiteral("/lists/tv.m3u8")), QStringLiteral("utf-8"));
    QVERIFY(server.lastRequestHeader("User-Agent") != QByteArray(PlaylistUserAgent));
}

void TestPlaylistSource::urlImportFailures_data()
{
    QTest::addColumn<TestHttpAnswer>("answer");
    QTest::addColumn<int>("failure");

    QTest::newRow("redirects for ever") << TestHttpAnswer::redirect(QStringLiteral("/list.m3u")) << int(Failure::FetchFailed);
    QTest::newRow("never answers") << TestHttpAnswer::silent() << int(Failure::FetchFailed);
    QTest::newRow("empty answer") << TestHttpAnswer::text("") << int(Failure::FetchFailed);
    QTest::newRow("an error page") << TestHttpAnswer::html(QStringLiteral("<h1>404 页面不存在</h1>"), 404)
                                   << int(Failure::NoEntries);
}

void TestPlaylistSource::urlImportFailures()
{
    QFETCH(TestHttpAnswer, answer);
    QFETCH(int, failure);

    SettingsOverride shortWait(300);
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/list.m3u"), answer);

    const PlaylistSource read = loadPlaylist(server.url(QStringLiteral("/list.m3u")));

    QCOMPARE(int(read.failure), failure);
    QVERIFY(read.playlist.entries.isEmpty());
    QCOMPARE(loadPlaylist(TestHttpServer::refusedBaseUrl() + QStringLiteral("/list.m3u")).failure, Failure::FetchFailed);
}

void TestPlaylistSource::referenceServicePlaylists()
{
    ServiceData data;
    QString error;
    QVERIFY2(data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error), qPrintable(error));
    ServiceRouter router(data);
    ServiceHost host(1, router);
    QVERIFY(host.start(0));
    data.setPageBase(host.baseUrl());

    const PlaylistSource tv = loadPlaylist(host.baseUrl() + QStringLiteral("/playlist/tv.m3u8"));
    QCOMPARE(tv.failure, Failure::None);
    QCOMPARE(tv.playlist.entries.size(), data.tv().size() + 1);
    QCOMPARE(tv.playlist.guideUrl, host.baseUrl() + QStringLiteral("/guide.xml"));
    int shifted = 0;
    for (qsizetype i = 0; i < data.tv().size(); ++i) {
        const PlaylistEntry &entry = tv.playlist.entries.at(i);
        const ServiceChannel &channel = data.tv().at(i);
        QCOMPARE(entry.name, channel.name);
        QCOMPARE(entry.url, data.servedUrl(channel.url));
        QCOMPARE(entry.tvgId, serviceGuideChannelId(channel, int(i)));
        QVERIFY(!entry.group.isEmpty());
        if (channel.name == QString::fromUtf8(serviceguide::kShiftedChannel)) {
            QCOMPARE(entry.tvgShift, QStringLiteral("-%1").arg(serviceguide::kShiftHours));
            ++shifted;
        } else {
            QCOMPARE(entry.tvgShift, QString());
        }
    }
    QCOMPARE(shifted, 1);
    QCOMPARE(tv.playlist.entries.last().url, host.baseUrl() + QStringLiteral("/live/member.m3u8|User-Agent=%1&Referer=%2/")
                                                  .arg(QLatin1String(StreamChannels::MemberAgent), host.baseUrl()));

    const PlaylistSource radio = loadPlaylist(host.baseUrl() + QStringLiteral("/playlist/radio.pls"));
    QCOMPARE(radio.failure, Failure::None);
    QCOMPARE(radio.playlist.entries.size(), data.radio().size());
    for (qsizetype i = 0; i < data.radio().size(); ++i) {
        QCOMPARE(radio.playlist.entries.at(i).name, data.radio().at(i).name);
        QCOMPARE(radio.playlist.entries.at(i).url, data.servedUrl(data.radio().at(i).url));
    }
}

QTEST_MAIN(TestPlaylistSource)
#include "tst_playlistsource.moc"

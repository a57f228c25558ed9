#include "player/streamurl.h"

#include <QTest>

class tst_StreamUrl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void classify_data();
    void classify();
    void headers_data();
    void headers();
};

void tst_StreamUrl::classify_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stream");

    // By scheme.
    for (const char *scheme : {"rtmp", "rtmps", "rtsp", "rtp", "udp", "mms", "mmsh", "srt"})
        QTest::addRow("scheme %s", scheme) << QStringLiteral("%1://10.0.0.1/live/a").arg(QLatin1String(scheme)) << true;
    QTest::newRow("multicast udp") << QStringLiteral("udp://@239.1.2.3:1234") << true;
    QTest::newRow("scheme in capitals") << QStringLiteral("RTSP://cam/1") << true;
    QTest::newRow("ftp is no stream scheme") << QStringLiteral("ftp://h/a.txt") << false;

    // By the path's extension over http(s).
    for (const char *ext : {"m3u8", "m3u", "pls", "ts", "flv", "mp3", "aac", "ogg", "opus", "mp4", "mkv", "mpd"})
        QTest::addRow("extension %s", ext) << QStringLiteral("http://h/live/a.%1").arg(QLatin1String(ext)) << true;
    QTest::newRow("https") << QStringLiteral("https://h/a.m3u8") << true;
    QTest::newRow("extension in capitals") << QStringLiteral("http://h/LIVE.M3U8") << true;
    QTest::newRow("query after the extension") << QStringLiteral("http://h/a.m3u8?token=1&x=.html") << true;
    QTest::newRow("extension only in the query") << QStringLiteral("http://h/play.php?f=a.m3u8") << false;
    QTest::newRow("extension only in the fragment") << QStringLiteral("http://h/page.html#a.mp3") << false;
    QTest::newRow("dot in a folder name") << QStringLiteral("http://h/v1.ts/index") << false;
    QTest::newRow("extension as a prefix") << QStringLiteral("http://h/a.tsx") << false;
    QTest::newRow("page") << QStringLiteral("http://h/tv/cctv1.html") << false;
    QTest::newRow("no path") << QStringLiteral("http://h") << false;
    QTest::newRow("file with a stream extension") << QStringLiteral("file:///home/a.mp4") << false;

    // The "|" header list.
    QTest::newRow("headers make any address a stream") << QStringLiteral("http://h/live|User-Agent=x") << true;
    QTest::newRow("empty suffix on a page") << QStringLiteral("http://h/page.html|") << false;
    QTest::newRow("junk suffix on a page") << QStringLiteral("http://h/page.html|;;==&&") << false;
    QTest::newRow("junk suffix on a stream") << QStringLiteral("http://h/a.m3u8|;;==&&") << true;
    QTest::newRow("bar before the extension") << QStringLiteral("http://h/a|b.m3u8") << false;

    // Not addresses at all.
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank page") << QStringLiteral("about:blank") << false;
    QTest::newRow("only headers") << QStringLiteral("|User-Agent=x") << false;
    QTest::newRow("words") << QStringLiteral("湖南卫视") << false;
}

void tst_StreamUrl::classify()
{
    QFETCH(QString, text);
    QFETCH(bool, stream);
    QCOMPARE(streamurl::isStream(text), stream);
}

// Reading the pairs is the playlist module's (tested there); what counts as
// a header list worth playing is decided here.
void tst_StreamUrl::headers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<HttpHeaders>("headers");

    const QString a = QStringLiteral("http://h/a.m3u8");
    QTest::newRow("none") << a << true << HttpHeaders{};
    QTest::newRow("empty list") << a + "|" << true << HttpHeaders{};
    QTest::newRow("only separators") << a + "| & &" << true << HttpHeaders{};
    QTest::newRow("two headers") << a + "|User-Agent=xyz&Referer=http://site/" << true
                                 << HttpHeaders{{"User-Agent", "xyz"}, {"Referer", "http://site/"}};
    QTest::newRow("a bad item among good ones is left out") << a + "|X=1&;;&Y=2" << true
                                                            << HttpHeaders{{"X", "1"}, {"Y", "2"}};
    QTest::newRow("junk") << a + "|;;==&&" << false << HttpHeaders{};
    QTest::newRow("no equals sign") << a + "|User-Agent" << false << HttpHeaders{};
    QTest::newRow("a line break would add a header") << a + "|X=1%0D%0AEvil: 1" << false << HttpHeaders{};
    QTest::newRow("only an empty value") << a + "|X-Empty=" << false << HttpHeaders{};
    QString many;
    while (many.size() <= streamurl::MaxHeaderTextLength)
        many += QStringLiteral("&X-A=1");
    QTest::newRow("good headers, too many to send") << a + "|" + many << false << HttpHeaders{};
}

void tst_StreamUrl::headers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(HttpHeaders, headers);
    const streamurl::StreamAddress address = streamurl::parse(QStringLiteral(" ") + text);
    QCOMPARE(address.url, QStringLiteral("http://h/a.m3u8"));
    QCOMPARE(address.headersValid, valid);
    QCOMPARE(address.headers, headers);
}

QTEST_APPLESS_MAIN(tst_StreamUrl)
#include "tst_streamurl.moc"

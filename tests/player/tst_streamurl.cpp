#include "player/streamurl.h"

#include <QTest>

using streamurl::Header;

class tst_StreamUrl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void classify_data();
    void classify();
    void headers_data();
    void headers();
    void longJunkSuffix();
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

void tst_StreamUrl::headers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QList<Header>>("headers");

    const QString a = QStringLiteral("http://h/a.m3u8");
    QTest::newRow("none") << a << a << true << QList<Header>{};
    QTest::newRow("empty list") << a + "|" << a << true << QList<Header>{};
    QTest::newRow("two headers")
        << a + "|User-Agent=xyz&Referer=http://site/" << a << true
        << QList<Header>{{"User-Agent", "xyz"}, {"Referer", "http://site/"}};
    QTest::newRow("percent-encoded value")
        << a + "|Cookie=a%3D1%26b%3D2&X-Name=%E6%BE%84" << a << true
        << QList<Header>{{"Cookie", "a=1&b=2"}, {"X-Name", "\xe6\xbe\x84"}};
    QTest::newRow("equals sign inside the value") << a + "|X=a=b" << a << true << QList<Header>{{"X", "a=b"}};
    QTest::newRow("empty value") << a + "|X-Empty=" << a << true << QList<Header>{{"X-Empty", ""}};
    QTest::newRow("empty items skipped") << a + "|&&X=1&&" << a << true << QList<Header>{{"X", "1"}};
    QTest::newRow("spaces around") << " " + a + " | X = 1 " << a << true << QList<Header>{{"X", "1"}};
    QTest::newRow("second bar is part of a value") << a + "|X=a|b" << a << true << QList<Header>{{"X", "a|b"}};
    QTest::newRow("Chinese value") << a + "|X=澄屿" << a << true << QList<Header>{{"X", "澄屿"}};

    QTest::newRow("junk") << a + "|;;==&&" << a << false << QList<Header>{};
    QTest::newRow("item without equals sign") << a + "|User-Agent" << a << false << QList<Header>{};
    QTest::newRow("empty name") << a + "|=x" << a << false << QList<Header>{};
    QTest::newRow("space inside the name") << a + "|User Agent=x" << a << false << QList<Header>{};
    QTest::newRow("colon in the name") << a + "|Host:=x" << a << false << QList<Header>{};
    QTest::newRow("Chinese name") << a + "|名字=x" << a << false << QList<Header>{};
    QTest::newRow("encoded line break would add a header")
        << a + "|X=1%0D%0AEvil: 1" << a << false << QList<Header>{};
    QTest::newRow("encoded NUL") << a + "|X=1%00" << a << false << QList<Header>{};
    QTest::newRow("one bad item spoils the list") << a + "|X=1&;;&Y=2" << a << false << QList<Header>{};
}

void tst_StreamUrl::headers()
{
    QFETCH(QString, text);
    QFETCH(QString, url);
    QFETCH(bool, valid);
    QFETCH(QList<Header>, headers);
    const streamurl::StreamAddress address = streamurl::parse(text);
    QCOMPARE(address.url, url);
    QCOMPARE(address.headersValid, valid);
    QCOMPARE(address.headers, headers);
}

void tst_StreamUrl::longJunkSuffix()
{
    QString junk;
    while (junk.size() < 100 * 1024)
        junk += QStringLiteral(";;==&&");
    const streamurl::StreamAddress address = streamurl::parse(QStringLiteral("http://h/a.m3u8|") + junk);
    QCOMPARE(address.url, QStringLiteral("http://h/a.m3u8"));
    QVERIFY(!address.headersValid);
    QVERIFY(address.headers.isEmpty());

    // A list of well-formed headers is refused as well once it is too long to send.
    QString many;
    while (many.size() <= streamurl::MaxHeaderTextLength)
        many += QStringLiteral("X-A=1&");
    QVERIFY(!streamurl::parse(QStringLiteral("http://h/a.m3u8|") + many).headersValid);
}

QTEST_APPLESS_MAIN(tst_StreamUrl)
#include "tst_streamurl.moc"

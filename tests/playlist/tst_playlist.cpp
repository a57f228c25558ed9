#include "playlist/playlist.h"
#include "playlist/urlheaders.h"

#include <QStringEncoder>
#include <QTest>

namespace {

// One line per entry: "name -> url", then the extras that are set.
QStringList describe(const Playlist &playlist)
{
    QStringList lines;
    for (const PlaylistEntry &e : playlist.entries) {
        QStringList extras;
        const std::pair<const char *, QString> fields[] = {
            {"group", e.group}, {"logo", e.logo}, {"id", e.tvgId}, {"tvg-name", e.tvgName}, {"shift", e.tvgShift},
        };
        for (const auto &[key, value] : fields) {
            if (!value.isEmpty())
                extras << QStringLiteral("%1=%2").arg(QLatin1String(key), value);
        }
        if (e.radio)
            extras << QStringLiteral("radio");
        lines << e.name + QStringLiteral(" -> ") + e.url
                + (extras.isEmpty() ? QString() : QStringLiteral(" {%1}").arg(extras.join(QStringLiteral("; "))));
    }
    return lines;
}

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QByteArray utf16le(const QString &text)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE") + encoder.encode(text);
}

const QUrl kBase(QStringLiteral("http://h/lists/tv.m3u8"));

// A literal with its NUL bytes.
template<std::size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

} // namespace

class TestPlaylist : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void guideUrl_data();
    void guideUrl();
    void decodeText_data();
    void decodeText();
    void headerSuffix_data();
    void headerSuffix();
    void importOfAnExportGivesTheSameEntries_data();
    void importOfAnExportGivesTheSameEntries();
    void exportForm();
    void limitsOfHostileInput();
    void readingInParts_data();
    void readingInParts();
};

void TestPlaylist::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QUrl>("source");
    QTest::addColumn<QStringList>("expected");

    // --- M3U: header, line ends, markers
    QTest::newRow("header with BOM, CR LF")
        << QByteArray("\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,湖南卫视\r\nhttp://a/1\r\n") << QUrl()
        << QStringList{"湖南卫视 -> http://a/1"};
    QTest::newRow("a mark written twice before a URL line")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFhttp://a/1") << QUrl() << QStringList{"http://a/1 -> http://a/1"};
    QTest::newRow("a mark written twice before [playlist]")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[playlist]\nFile1=http://a/1\nTitle1=A") << QUrl()
        << QStringList{"A -> http://a/1"};
    QTest::newRow("no header, LF, blank lines and blanks around lines")
        << QByteArray("\n\n  #EXTINF:-1,A  \n\n   http://a/1   \n\n#EXTINF:0,B\nhttp://a/2") << QUrl()
        << QStringList{"A -> http://a/1", "B -> http://a/2"};
    QTest::newRow("CR alone ends lines") << QByteArray("#EXTM3U\r#EXTINF:-1,A\rhttp://a/1\r") << QUrl()
                                         << QStringList{"A -> http://a/1"};
    QTest::newRow("a CR alone among LF lines ends a line too")
        << QByteArray("#EXTM3U\n#EXTINF:-1,A\rhttp://a/1\nhttp://a/2") << QUrl()
        << QStringList{"A -> http://a/1", "http://a/2 -> http://a/2"};
    QTest::newRow("# EXTINF with a space, any case")
        << QByteArray("# EXTINF:-1,A\nhttp://a/1\n#extinf:-1,B\nhttp://a/2") << QUrl()
        << QStringList{"A -> http://a/1", "B -> http://a/2"};

    // --- names and attributes
    QTest::newRow("commas inside quoted values and inside the name")
        << QByteArray("#EXTINF:-1 tvg-name=\"A, B\" group-title=\"新闻,综合\",CCTV-1, 综合\nhttp://a/1") << QUrl()
        << QStringList{"CCTV-1, 综合 -> http://a/1 {group=新闻,综合; tvg-name=A, B}"};
    QTest::newRow("single-quoted and bare values")
        << QByteArray("#EXTINF:-1 tvg-id=cctv1 tvg-logo='http://l/1.png' group-title='央视' tvg-shift=+8,CCTV-1\nhttp://a/1")
        << QUrl() << QStringList{"CCTV-1 -> http://a/1 {group=央视; logo=http://l/1.png; id=cctv1; shift=+8}"};
    QTest::newRow("keys in any case, no duration, flag attribute")
        << QByteArray("#EXTINF:TVG-ID=\"x\" catchup GROUP-TITLE=\"g\",N\nhttp://a/1") << QUrl()
        << QStringList{"N -> http://a/1 {group=g; id=x}"};
    QTest::newRow("radio=\"true\" marks, anything else does not")
        << QByteArray("#EXTINF:-1 radio=\"true\",R\nhttp://a/1\n#EXTINF:-1 radio=\"false\",T\nhttp://a/2") << QUrl()
        << QStringList{"R -> http://a/1 {radio}", "T -> http://a/2"};
    QTest::newRow("no #EXTINF: the URL is the name")
        << QByteArray("#EXTM3U\nhttp://a/1\nrtmp://b/live|User-Agent=x") << QUrl()
        << QStringList{"http://a/1 -> http://a/1", "rtmp://b/live -> rtmp://b/live|User-Agent=x"};
    QTest::newRow("#EXTINF without a comma: tvg-name, else the URL")
        << QByteArray("#EXTINF:-1 tvg-name=\"T\"\nhttp://a/1\n#EXTINF:-1\nhttp://a/2") << QUrl()
        << QStringList{"T -> http://a/1 {tvg-name=T}", "http://a/2 -> http://a/2"};
    QTest::newRow("#EXTGRP gives the group when group-title does not")
        << QByteArray("#EXTINF:-1,A\n#EXTGRP:体育\nhttp://a/1\n#EXTGRP:x\n#EXTINF:-1 group-title=\"g\",B\nhttp://a/2")
        << QUrl() << QStringList{"A -> http://a/1 {group=体育}", "B -> http://a/2 {group=g}"};
    QTest::newRow("control characters in a name become blanks")
        << QByteArray("#EXTINF:-1,a\tb\x01" "c\nhttp://a/1") << QUrl() << QStringList{"a b c -> http://a/1"};

    // --- headers
    QTest::newRow("#EXTVLCOPT user agent and referrer, before or after #EXTINF")
        << QByteArray("#EXTINF:-1,A\n#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11)\n#EXTVLCOPT:http-referrer=http://site/\n"
                      "http://a/1\n#EXTVLCOPT:http-user-agent=VLC\n#EXTINF:-1,B\nhttp://a/2\nhttp://a/3")
        << QUrl()
        << QStringList{"A -> http://a/1|User-Agent=Mozilla/5.0 (X11)&Referer=http://site/",
                       "B -> http://a/2|User-Agent=VLC", "http://a/3 -> http://a/3"};
    QTest::newRow("user-agent attribute")
        << QByteArray("#EXTINF:-1 user-agent=\"UA 1\" tvg-id=\"i\",A\nhttp://a/1") << QUrl()
        << QStringList{"A -> http://a/1|User-Agent=UA 1 {id=i}"};
    QTest::newRow("URL suffix, canonical order and names; it wins over the tags")
        << QByteArray("#EXTINF:-1 user-agent=\"attr\",A\n#EXTVLCOPT:http-referrer=http://opt/\n"
                      "http://a/1|referer=http://own/&Cookie=k=v&user-agent=own%20UA")
        << QUrl() << QStringList{"A -> http://a/1|User-Agent=own UA&Referer=http://own/&Cookie=k=v"};
    QTest::newRow("a malformed header does not hide a later good one")
        << QByteArray("#EXTVLCOPT:http-referrer=\x01\n#EXTVLCOPT:http-referrer=http://r/\nhttp://a/1|Cookie=c") << QUrl()
        << QStringList{"http://a/1 -> http://a/1|Referer=http://r/&Cookie=c"};
    QTest::newRow("a suffix that is no header list is dropped")
        << QByteArray("#EXTINF:-1,A\nhttp://a/1|;;==&&") << QUrl() << QStringList{"A -> http://a/1"};

    // --- what is skipped
    QTest::newRow("lines without :// are skipped, unknown tags ignored")
        << QByteArray("#EXTM3U\n#EXT-X-VERSION:3\n#KODIPROP:inputstream=x\nhello world\nC:\\tv\\a.ts\n"
                      "www.site.com/a\nmailto:x@y\n#EXTINF:-1,A\nhttp://a/1\n# a comment\nudp://@239.0.0.1:1234")
        << QUrl() << QStringList{"A -> http://a/1", "udp://@239.0.0.1:1234 -> udp://@239.0.0.1:1234"};
    QTest::newRow("#EXTINF with no URL after it")
        << QByteArray("#EXTINF:-1,lost\n#EXTINF:-1,A\nhttp://a/1\n#EXTINF:-1,end") << QUrl()
        << QStringList{"A -> http://a/1"};
    QTest::newRow("a junk line ends the entry its #EXTINF began")
        << QByteArray("#EXTINF:-1,A\nnot a url\nhttp://a/1") << QUrl() << QStringList{"http://a/1 -> http://a/1"};
    QTest::newRow("a URL line over the limit is skipped, the next entry kept")
        << QByteArray("#EXTINF:-1,long\nhttp://a/" + QByteArray(1024 * 1024, 'x') + "\n#EXTINF:-1,B\nhttp://a/2")
        << QUrl() << QStringList{"B -> http://a/2"};
    QTest::newRow("binary junk around one URL")
        << raw("\x89PNG\r\n\x1A\n\x00\x01\xFF\xFE junk\x00\nhttp://ok/1\n\x80\x81\x82://\n") << QUrl()
        << QStringList{"http://ok/1 -> http://ok/1"};

    // --- relative URLs and logos
    QTest::newRow("relative URLs resolve against the playlist's own URL")
        << QByteArray("#EXTINF:-1,A\nstreams/a.m3u8\n#EXTINF:-1,B\n/b.ts|User-Agent=x\n#EXTINF:-1,C\n../c.ts\n"
                      "#EXTINF:-1,D\n//cdn/d.ts")
        << kBase
        << QStringList{"A -> http://h/lists/streams/a.m3u8", "B -> http://h/b.ts|User-Agent=x", "C -> http://h/c.ts",
                       "D -> http://cdn/d.ts"};
    QTest::newRow("relative URLs without a base are skipped")
        << QByteArray("#EXTINF:-1,A\nstreams/a.m3u8\n#EXTINF:-1,B\nhttp://a/2") << QUrl() << QStringList{"B -> http://a/2"};
    QTest::newRow("a relative line needs an #EXTINF before it")
        << QByteArray("readme.txt\n#EXTINF:-1,A\na.ts") << kBase << QStringList{"A -> http://h/lists/a.ts"};
    QTest::newRow("data: logos are ignored, relative logos resolve")
        << QByteArray("#EXTINF:-1 tvg-logo=\"data:image/png;base64,AAAA\",A\nhttp://a/1\n"
                      "#EXTINF:-1 tvg-logo=\"logos/b.png\",B\nhttp://a/2")
        << kBase << QStringList{"A -> http://a/1", "B -> http://a/2 {logo=http://h/lists/logos/b.png}"};

    // --- encodings
    QTest::newRow("GBK without a mark") << gbk(QStringLiteral("#EXTINF:-1 group-title=\"卫视\",湖南卫视€\nhttp://a/1"))
                                        << QUrl() << QStringList{"湖南卫视€ -> http://a/1 {group=卫视}"};
    QTest::newRow("UTF-16 with its mark") << utf16le(QStringLiteral("#EXTM3U\r\n#EXTINF:-1,浙江卫视\r\nhttp://a/1\r\n"))
                                          << QUrl() << QStringList{"浙江卫视 -> http://a/1"};
    QTest::newRow("invalid UTF-8 after a UTF-8 mark keeps the entry")
        << QByteArray("\xEF\xBB\xBF#EXTINF:-1,A\xC3\x28\nhttp://a/1") << QUrl() << QStringList{"A\uFFFD( -> http://a/1"};

    // --- PLS
    QTest::newRow("PLS")
        << QByteArray("[playlist]\r\nFile1=http://r/1\r\nTitle1=中国之声\r\nLength1=-1\r\nFile2=http://r/2\r\n"
                      "Title2=音乐之声\r\nNumberOfEntries=2\r\nVersion=2\r\n")
        << QUrl() << QStringList{"中国之声 -> http://r/1", "音乐之声 -> http://r/2"};
    QTest::newRow("PLS keys in any case, numbers out of order and missing")
        << QByteArray("[PlayList]\nfile3=http://r/3\nTITLE1=one\nFILE1=http://r/1\ntitle3=three\nFile10=http://r/10")
        << QUrl() << QStringList{"one -> http://r/1", "three -> http://r/3", "http://r/10 -> http://r/10"};
    QTest::newRow("PLS whose NumberOfEntries lies")
        << QByteArray("[playlist]\nNumberOfEntries=99\nFile1=http://r/1\nFile2=http://r/2\n") << QUrl()
        << QStringList{"http://r/1 -> http://r/1", "http://r/2 -> http://r/2"};
    QTest::newRow("PLS: a title without a file, other sections, relative files")
        << QByteArray("[playlist]\nTitle1=lost\nFile2=b.mp3\nTitle2=B\n[other]\nFile3=http://r/3\n")
        << QUrl(QStringLiteral("http://h/radio/list.pls")) << QStringList{"B -> http://h/radio/b.mp3"};
    QTest::newRow("PLS by its extension when the first line does not say")
        << QByteArray("File1=http://r/1\nTitle1=R\n") << QUrl(QStringLiteral("file:///x/radio.PLS"))
        << QStringList{"R -> http://r/1"};
    QTest::newRow("an M3U named .pls is read as M3U")
        << QByteArray("#EXTM3U\n#EXTINF:-1,A\nhttp://a/1") << QUrl(QStringLiteral("file:///x/radio.pls"))
        << QStringList{"A -> http://a/1"};
}

void TestPlaylist::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QUrl, source);
    QFETCH(QStringList, expected);

    QCOMPARE(describe(parsePlaylist(bytes, source)), expected);
}

void TestPlaylist::guideUrl_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("url-tvg") << "#EXTM3U url-tvg=\"http://g/e.xml\" tvg-shift=8\n" << "http://g/e.xml";
    QTest::newRow("x-tvg-url") << "#EXTM3U x-tvg-url=\"http://g/a.xml,http://g/b.xml\"\n" << "http://g/a.xml,http://g/b.xml";
    QTest::newRow("the first one counts") << "#EXTM3U x-tvg-url=\"http://g/1\" url-tvg=\"http://g/2\"\n" << "http://g/1";
    QTest::newRow("none") << "#EXTM3U\n#EXTINF:-1 url-tvg=\"http://g/1\",A\nhttp://a/1" << "";
}

void TestPlaylist::guideUrl()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    QCOMPARE(parseM3u(text).guideUrl, expected);
}

void TestPlaylist::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QString name = QStringLiteral("湖南卫视 CCTV-1 €");
    QTest::newRow("ASCII") << QByteArray("#EXTM3U") << "#EXTM3U";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("UTF-8 without a mark") << name.toUtf8() << name;
    QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF") + name.toUtf8() << name;
    QTest::newRow("not UTF-8: GB18030, GBK's euro byte included") << gbk(name) << name;
    QTest::newRow("GB18030 four-byte character without a mark") << QByteArray("a\x95\x32\x82\x36") << "a\U00020000";
    QTest::newRow("GB18030 mark") << QByteArray("\x84\x31\x95\x33\xBA\xFE") << "湖";
    QTest::newRow("UTF-16 LE mark") << utf16le(name) << name;
    QTest::newRow("UTF-16 BE mark") << raw("\xFE\xFF\x6E\x56") << "湖";
    QTest::newRow("UTF-32 LE mark") << raw("\xFF\xFE\x00\x00\x56\x6E\x00\x00") << "湖";
    QTest::newRow("a lone surrogate in UTF-16") << raw("\xFF\xFE" "a\x00\x00\xD8" "b\x00") << "a\uFFFDb";
    QTest::newRow("a mark decides even over invalid bytes") << QByteArray("\xEF\xBB\xBF\xBA\xFE") << "\uFFFD\uFFFD";
    QTest::newRow("one invalid byte makes the whole text GB18030")
        << QByteArray("\xE6\xB9\x96 \xBA\xFE") << QStringLiteral("婀\uFFFD 湖");
}

void TestPlaylist::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QCOMPARE(decodePlaylistText(bytes), expected);
}

void TestPlaylist::headerSuffix_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url");
    QTest::addColumn<HttpHeaders>("headers");
    QTest::addColumn<QString>("canonical");

    QTest::newRow("none") << "http://a/1" << "http://a/1" << HttpHeaders{} << "http://a/1";
    QTest::newRow("two, in canonical order")
        << "http://h/a.m3u8|User-Agent=xyz&Referer=http://site/" << "http://h/a.m3u8"
        << HttpHeaders{{"User-Agent", "xyz"}, {"Referer", "http://site/"}}
        << "http://h/a.m3u8|User-Agent=xyz&Referer=http://site/";
    QTest::newRow("names in any case, referrer spelt either way, others kept in order")
        << "http://a/1|X-Forwarded-For=1.2.3.4&referrer=r&USER-AGENT=u" << "http://a/1"
        << HttpHeaders{{"X-Forwarded-For", "1.2.3.4"}, {"Referer", "r"}, {"User-Agent", "u"}}
        << "http://a/1|User-Agent=u&Referer=r&X-Forwarded-For=1.2.3.4";
    QTest::newRow("percent-decoded values; only %, & and | encoded again")
        << "http://a/1|User-Agent=Mozilla%2F5.0%20(X11)&Cookie=a%3Db%26c%7Cd%25" << "http://a/1"
        << HttpHeaders{{"User-Agent", "Mozilla/5.0 (X11)"}, {"Cookie", "a=b&c|d%"}}
        << "http://a/1|User-Agent=Mozilla/5.0 (X11)&Cookie=a=b%26c%7Cd%25";
    QTest::newRow("the first of two with one name counts")
        << "http://a/1|User-Agent=one&user-agent=two" << "http://a/1" << HttpHeaders{{"User-Agent", "one"}}
        << "http://a/1|User-Agent=one";
    QTest::newRow("a line break in a value cannot forge a header")
        << "http://a/1|User-Agent=x%0D%0AHost: evil&Referer=ok" << "http://a/1" << HttpHeaders{{"Referer", "ok"}}
        << "http://a/1|Referer=ok";
    QTest::newRow("no name, bad name, empty value")
        << "http://a/1|=x&a b=c&Empty=&;;==&&" << "http://a/1" << HttpHeaders{} << "http://a/1";
    QTest::newRow("only the first bar splits")
        << "http://a/1|Cookie=a|b" << "http://a/1" << HttpHeaders{{"Cookie", "a|b"}} << "http://a/1|Cookie=a%7Cb";
    QTest::newRow("a value that starts with U+FEFF keeps it")
        << "http://a/1|Cookie=%EF%BB%BFx" << "http://a/1" << HttpHeaders{{"Cookie", QStringLiteral("\uFEFFx")}}
        << "http://a/1|Cookie=\uFEFFx";
    QTest::newRow("a broken escape stays as it is")
        << "http://a/1|Cookie=%zz" << "http://a/1" << HttpHeaders{{"Cookie", "%zz"}} << "http://a/1|Cookie=%25zz";
}

void TestPlaylist::headerSuffix()
{
    QFETCH(QString, address);
    QFETCH(QString, url);
    QFETCH(HttpHeaders, headers);
    QFETCH(QString, canonical);

    const UrlWithHeaders split = splitUrlHeaders(address);
    QCOMPARE(split.url, url);
    QCOMPARE(split.headers, headers);
    QCOMPARE(joinUrlHeaders(split.url, split.headers), canonical);
    const UrlWithHeaders again = splitUrlHeaders(canonical);
    QCOMPARE(joinUrlHeaders(again.url, again.headers), canonical);
}

void TestPlaylist::importOfAnExportGivesTheSameEntries_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("every kept attribute and header")
        << QByteArray("#EXTM3U url-tvg=\"http://g/e.xml\"\n"
                      "#EXTINF:-1 tvg-id=\"a.cn\" tvg-name=\"A, one\" tvg-logo=\"http://l/a.png\" group-title=\"新闻,综合\" "
                      "tvg-shift=\"-2\" radio=\"true\" user-agent=\"UA\",湖南卫视, HD\n"
                      "#EXTVLCOPT:http-referrer=http://site/\n"
                      "http://a/1|Cookie=k%3Dv%26w&X-Token=%25\n"
                      "http://a/2\n");
    QTest::newRow("quotes inside values")
        << QByteArray("#EXTINF:-1 tvg-name='say \"hi\"' tvg-id=it's,N\nhttp://a/1\n"
                      "#EXTINF:-1,M\n#EXTGRP:both \" and '\nhttp://a/2\n");
    QTest::newRow("PLS") << QByteArray("[playlist]\nFile1=http://r/1\nTitle1=中国之声\nFile2=mms://r/2\n");
}

void TestPlaylist::importOfAnExportGivesTheSameEntries()
{
    QFETCH(QByteArray, bytes);

    const Playlist original = parsePlaylist(bytes);
    QVERIFY(!original.entries.isEmpty());
    const Playlist again = parsePlaylist(exportM3u8(original));
    QCOMPARE(describe(again), describe(original));
    QCOMPARE(again.guideUrl, original.guideUrl);
}

void TestPlaylist::exportForm()
{
    Playlist playlist;
    PlaylistEntry entry;
    entry.name = QStringLiteral("湖南卫视");
    entry.url = QStringLiteral("http://a/1|User-Agent=UA&Referer=http://site/&Cookie=c");
    entry.group = QStringLiteral("卫视");
    playlist.entries = {entry};
    entry = PlaylistEntry();
    entry.name = QStringLiteral("B");
    entry.url = QStringLiteral("http://a/2");
    playlist.entries << entry;

    QCOMPARE(QString::fromUtf8(exportM3u8(playlist)),
             QStringLiteral("#EXTM3U\n"
                            "#EXTINF:-1 group-title=\"卫视\",湖南卫视\n"
                            "#EXTVLCOPT:http-user-agent=UA\n"
                            "#EXTVLCOPT:http-referrer=http://site/\n"
                            "http://a/1|Cookie=c\n"
                            "#EXTINF:-1,B\n"
                            "http://a/2\n"));
}

void TestPlaylist::limitsOfHostileInput()
{
    // Each of these must come back, and with what can be read.
    QByteArray many = "#EXTM3U\n";
    for (int i = 0; i < 200000; ++i)
        many += "#EXTINF:-1,c\nhttp://a/" + QByteArray::number(i) + '\n';
    const Playlist big = parsePlaylist(many);
    QCOMPARE(big.entries.size(), 200000);
    QCOMPARE(big.entries.last().url, QStringLiteral("http://a/199999"));

    QByteArray tooMany;
    for (qsizetype i = 0; i <= MaxPlaylistEntries; ++i)
        tooMany += "x://\n";
    QCOMPARE(parsePlaylist(tooMany).entries.size(), MaxPlaylistEntries);

    const QByteArray longName = "#EXTINF:-1," + QByteArray(1024 * 1024, 'n') + "\nhttp://a/1";
    QCOMPARE(parsePlaylist(longName).entries.value(0).name.size(), MaxPlaylistNameLength);

    const QByteArray unterminated = "#EXTINF:-1 tvg-name=\"" + QByteArray(1024 * 1024, ',') + "\nhttp://a/1";
    QCOMPARE(describe(parsePlaylist(unterminated)), QStringList{"http://a/1 -> http://a/1"});
}

void TestPlaylist::readingInParts_data()
{
    QTest::addColumn<int>("parts");
    QTest::newRow("two") << 2;
    QTest::newRow("seven") << 7;
    QTest::newRow("thirty") << 30;
}

// Read one after the other, the parts give what the whole gives, wherever
// the cuts fall among tags that belong to the entry after them.
void TestPlaylist::readingInParts()
{
    QFETCH(int, parts);
    QByteArray text = "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://g/e.xml\"\r\n";
    for (int i = 0; text.size() < PlaylistReading::kMinimumPartBytes + 100000; ++i) {
        const QByteArray k = QByteArray::number(i);
        const QByteArray kinds[] = {
            "#EXTVLCOPT:http-user-agent=UA" + k + "\n#EXTINF:-1 group-title=\"g\",A" + k + "\nhttp://a/" + k + "\n",
            "#EXTGRP:体育\r\n#EXTINF:-1,B" + k + "\r\n\r\nlive/" + k + ".ts\r\n",
            "  http://c/" + k + "|Referer=http://r/\n",
            "#EXTINF:-1 tvg-logo=\"l/" + k + ".png\",㑳" + k + "\nnot a url\n#EXTINF:-1,D" + k + "\rhttp://d/" + k + "\n",
        };
        text += kinds[i % 4];
    }
    const Playlist whole = parsePlaylist(text, kBase);
    const PlaylistReading reading(text, kBase, parts);
    QCOMPARE(reading.parts(), parts);
    Playlist joined;
    for (int k = 0; k < parts; ++k) {
        const QString guideUrl = reading.read(k, [&joined](const PlaylistEntryView &e) {
            joined.entries.append({e.name.toString(), e.url.toString(), e.group.toString(), e.logo.toString(),
                                   e.tvgId.toString(), e.tvgName.toString(), e.tvgShift.toString(), e.radio});
            return true;
        });
        QCOMPARE(guideUrl, k == 0 ? whole.guideUrl : QString());
    }
    QCOMPARE(joined.entries.size(), whole.entries.size());
    QCOMPARE(describe(joined), describe(whole));
}

QTEST_GUILESS_MAIN(TestPlaylist)
#include "tst_playlist.moc"

#include "playlist/companion.h"
#include "playlist/listfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The list files are written in code page 936 today, and read with it.
QByteArray codePage936(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromCodePage936(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

bool isPrivateUse(const QString &text) { return text.size() == 1 && text[0] >= QChar(0xE000) && text[0] <= QChar(0xF8FF); }

PlaylistEntry entry(const QString &name, const QString &url, const QString &group = {})
{
    PlaylistEntry e;
    e.name = name;
    e.url = url;
    e.group = group;
    return e;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Name and URL lines of a list file, as pairs; every line must end in CR LF.
QList<QStringList> listPairs(const QByteArray &bytes)
{
    QStringList lines = decodeListFileText(bytes).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    QList<QStringList> pairs;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        pairs.append({lines.at(i), lines.at(i + 1)});
    return pairs;
}

} // namespace

class TestListFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesWrittenTodayReadBack_data();
    void filesWrittenTodayReadBack();
    void everyCodeOfTheCodePageReadsAsToday();
    void roundTrip_data();
    void roundTrip();
    void listFileContent_data();
    void listFileContent();
    void failedWritesKeepWhatWasThere();
};

void TestListFile::filesWrittenTodayReadBack_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("a list of ASCII") << "CCTV-1\r\nhttp://a/1\r\n";
    QTest::newRow("Chinese names") << "湖南卫视\r\nhttp://a/1\r\n中国之声 广播\r\nhttp://a/2\r\n";
    QTest::newRow("GBK beyond GB2312") << "丂亐乹\r\n";
    QTest::newRow("euro sign, the single byte 0x80") << "€ 欧洲台 €\r\n€";
    // 0x80 is also a trail byte: 81 80 is one character, the 80 after it another.
    QTest::newRow("0x80 after a character whose trail byte is 0x80") << fromCodePage936("\x81\x80") + "€";
    QTest::newRow("the single byte 0xFF") << "a\uF8F5b";
    QTest::newRow("punctuation and full width") << "·—…￥「」ＡＢ１２";
    QTest::newRow("user-defined area") << "\uE000\uE4C5";
}

void TestListFile::filesWrittenTodayReadBack()
{
    QFETCH(QString, text);

    const QByteArray bytes = codePage936(text);
    QCOMPARE(fromCodePage936(bytes), text); // the row is a text today's files hold
    QCOMPARE(decodeListFileText(bytes), text);
    QCOMPARE(encodeListFileText(text), bytes);
}

void TestListFile::everyCodeOfTheCodePageReadsAsToday()
{
    // Every single byte and every two-byte code reads as today, except the
    // codes that code page 936 maps to private-use stand-ins and GB18030 to
    // the standard characters they stand for.
    QList<QByteArray> codes;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        if (byte <= 0x80 || byte == 0xFF)
            codes.append(QByteArray(1, char(byte)));
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F)
                codes.append(QByteArray(1, char(lead)) + char(trail));
        }
    }
    int standIns = 0;
    for (const QByteArray &bytes : codes) {
        const QString today = fromCodePage936(bytes);
        if (today.contains(QChar(0xFFFD)))
            continue; // not a code of the code page
        const QString now = decodeListFileText(bytes);
        if (now == today)
            continue;
        QVERIFY2(isPrivateUse(today) && now.size() == 1 && !isPrivateUse(now), bytes.toHex().constData());
        ++standIns;
    }
    QCOMPARE(standIns, 82);

    QCOMPARE(decodeListFileText("\xFE\x55"), QStringLiteral("\u3473"));
    QCOMPARE(decodeListFileText("\xA8\xBC"), QStringLiteral("\u1E3F"));
    QCOMPARE(decodeListFileText("\xA2\xE3"), QStringLiteral("€"));
}

void TestListFile::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: not checked

    QTest::newRow("code page 936 stays code page 936") << "湖南卫视 €1" << QByteArray("\xBA\xFE\xC4\xCF\xCE\xC0\xCA\xD3 \x80" "1");
    QTest::newRow("a character the code page lacks, in GB18030")
        << "a\u200Bb" << QByteArray("a\x81\x36\xA4\x37" "b");
    QTest::newRow("a GB18030 two-byte code the code page uses for a stand-in") << "㑳" << QByteArray("\xFE\x55");
    QTest::newRow("the stand-in itself") << "\uE81A" << QByteArray("\x83\x36\xC9\x36");
    QTest::newRow("emoji and extension B") << "📺 4K 𠀀" << QByteArray();
    QTest::newRow("Korean, Japanese, Latin") << "한국 방송 テレビ・東京 Ñandú ḿ" << QByteArray();
}

void TestListFile::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    const QByteArray written = encodeListFileText(text);
    if (!bytes.isEmpty())
        QCOMPARE(written, bytes);
    QCOMPARE(decodeListFileText(written), text);
    QVERIFY(!decodeListFileText(written).contains(u'?'));
}

void TestListFile::listFileContent_data()
{
    QTest::addColumn<QList<PlaylistEntry>>("entries");
    QTest::addColumn<QList<QStringList>>("pairs");

    QTest::newRow("names and URLs in order")
        << QList<PlaylistEntry>{entry("湖南卫视", "http://a/1|User-Agent=x"), entry("📺 频道", "http://a/2")}
        << QList<QStringList>{{"湖南卫视", "http://a/1|User-Agent=x"}, {"📺 频道", "http://a/2"}};
    QTest::newRow("short names padded to the reader's three characters")
        << QList<PlaylistEntry>{entry("A1", "http://a/1"), entry("", "http://a/2")}
        << QList<QStringList>{{"A1 ", "http://a/1"}, {"   ", "http://a/2"}};
    QTest::newRow("line breaks become blanks")
        << QList<PlaylistEntry>{entry("a\r\nb", "http://a/1\n")} << QList<QStringList>{{"a  b", "http://a/1 "}};
    QTest::newRow("none") << QList<PlaylistEntry>{} << QList<QStringList>{};
}

void TestListFile::listFileContent()
{
    QFETCH(QList<PlaylistEntry>, entries);
    QFETCH(QList<QStringList>, pairs);

    const QByteArray bytes = ::listFileContent(PlaylistEntryViews::of(Playlist{entries, {}}));
    QVERIFY(bytes.isEmpty() || bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), entries.size() * 2);
    QCOMPARE(listPairs(bytes), pairs);
}

void TestListFile::failedWritesKeepWhatWasThere()
{
    QTemporaryDir dir;
    Playlist playlist;
    playlist.entries = {entry(QStringLiteral("中国之声"), QStringLiteral("http://r/1"))};
    const PlaylistEntryViews views = PlaylistEntryViews::of(playlist);

    // The list file cannot be written (a folder stands in its place): nothing changes.
    const QString blockedList = dir.filePath(QStringLiteral("dianshibiao.ini"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dianshibiao.ini")));
    QVERIFY(writeFile(companionFilePath(blockedList), "#EXTM3U\n"));
    QVERIFY(!writeImportedDirectory(blockedList, views));
    QCOMPARE(readFile(companionFilePath(blockedList)), QByteArray("#EXTM3U\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"dianshibiao.m3u8"});

    // Only the companion cannot: the list is stored all the same.
    const QString listPath = dir.filePath(QStringLiteral("diantaibiao.ini"));
    QVERIFY(writeFile(listPath, "old list\r\n"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("diantaibiao.m3u8")));
    QVERIFY(writeImportedDirectory(listPath, views));
    waitForCompanionFiles(); // before `playlist`, which it reads, goes
    QCOMPARE(listPairs(readFile(listPath)), (QList<QStringList>{{"中国之声", "http://r/1"}}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"dianshibiao.m3u8", "diantaibiao.ini"}));

    // Nowhere to write.
    QVERIFY(!writeImportedDirectory(QString(), views));
    QVERIFY(!writeImportedDirectory(dir.filePath(QStringLiteral("gone/diantaibiao.ini")), views));
}

QTEST_GUILESS_MAIN(TestListFile)
#include "tst_listfile.moc"

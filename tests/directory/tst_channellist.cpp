#include "directory/channellist.h"
#include "platform/codepage936.h"
#include "platform/listbox.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray gbk(const QString &text) { return cp936::fromUnicode(text); }

QString spaces12() { return QString(12, u' '); }

} // namespace

class TestChannelList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("crlf") << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf only") << QStringLiteral("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QStringLiteral("a\r\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("no line end") << QStringLiteral("abc") << QStringList{"abc"};
        QTest::newRow("double crlf") << QStringLiteral("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("lone cr stays") << QStringLiteral("a\rb\r\n") << QStringList{"a\rb"};
        QTest::newRow("cr cr lf") << QStringLiteral("a\r\r\n") << QStringList{"a\r"};
        QTest::newRow("only line ends") << QStringLiteral("\r\n\n") << QStringList{"", ""};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(splitListLines(text), lines);
    }

    void entryNumbers_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("number");
        QTest::newRow("first") << 0 << QStringLiteral("0000");
        QTest::newRow("fourth") << 3 << QStringLiteral("0003");
        QTest::newRow("4400") << 4400 << QStringLiteral("4400");
        QTest::newRow("9999") << 9999 << QStringLiteral("9999");
        QTest::newRow("10000 keeps all digits") << 10000 << QStringLiteral("10000");
        QTest::newRow("199999") << 199999 << QStringLiteral("199999");
    }
    void entryNumbers()
    {
        QFETCH(int, n);
        QFETCH(QString, number);
        QCOMPARE(entryNumber(n), number);
    }

    void rowAndEntryLine()
    {
        const QString row = rowText(3, QStringLiteral("湖南卫视"));
        QCOMPARE(row, QStringLiteral("0003.湖南卫视"));
        QCOMPARE(entryLine(row, QStringLiteral("湖南卫视")), QStringLiteral("0003.湖南卫视") + spaces12() + "HNWS");
        // Initials come from the name alone, never from the number.
        QCOMPARE(entryLine(rowText(12, QStringLiteral("ab")), QStringLiteral("ab")),
                 QStringLiteral("0012.ab") + spaces12() + "AB");
    }

    void readerRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("two entries") << QStringLiteral("湖南卫视\r\nhttp://a/1\r\n浙江卫视\r\nhttp://a/2\r\n")
                                     << QStringList{"0000.湖南卫视", "0001.浙江卫视"}
                                     << QStringList{"http://a/1", "http://a/2"};
        QTest::newRow("trailing empty line") << QStringLiteral("abc\r\nhttp://x\r\n\r\n")
                                             << QStringList{"0000.abc"} << QStringList{"http://x"};
        QTest::newRow("odd line count") << QStringLiteral("abc\r\nhttp://x\r\nlonely")
                                        << QStringList{"0000.abc"} << QStringList{"http://x"};
        QTest::newRow("short name takes no number")
            << QStringLiteral("ab\r\nhttp://skip\r\nabc\r\nhttp://x\r\n") << QStringList{"0000.abc"}
            << QStringList{"http://x"};
        QTest::newRow("short url") << QStringLiteral("abc\r\nht\r\n") << QStringList() << QStringList();
        QTest::newRow("three characters is enough") << QStringLiteral("中央台\r\nu:/\r\n")
                                                    << QStringList{"0000.中央台"} << QStringList{"u:/"};
        QTest::newRow("lf only") << QStringLiteral("abc\nhttp://x\ndef\nhttp://y\n")
                                 << QStringList{"0000.abc", "0001.def"} << QStringList{"http://x", "http://y"};
        QTest::newRow("url verbatim") << QStringLiteral("abc\r\n  http://x  \r\n") << QStringList{"0000.abc"}
                                      << QStringList{"  http://x  "};
        QTest::newRow("empty") << QString() << QStringList() << QStringList();
    }
    void readerRule()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, urls);
        const DirectoryEntries entries = parseListFile(text);
        QCOMPARE(entries.rows, rows);
        QCOMPARE(entries.urls, urls);
        QCOMPARE(entries.lines.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY(entries.lines.at(i).startsWith(rows.at(i) + spaces12()));
    }

    void downloadedTextKeepsTheEmptyLastLine()
    {
        QCOMPARE(splitListLines(QStringLiteral("a\r\nb\r\n"), LastLine::KeepEmpty), (QStringList{"a", "b", ""}));
        QCOMPARE(splitListLines(QStringLiteral("a\nb"), LastLine::KeepEmpty), (QStringList{"a", "b"}));
        QCOMPARE(splitListLines(QString(), LastLine::KeepEmpty), QStringList());
    }

    void downloadedListTakesEveryPair()
    {
        const DirectoryEntries entries = parseDownloadedList(QStringLiteral("\r\nhttp://x\r\nab\r\n\r\ntail"));
        QCOMPARE(entries.rows, (QStringList{"0000.", "0001.ab"}));
        QCOMPARE(entries.urls, (QStringList{"http://x", ""}));
        QCOMPARE(entries.lines.at(0), QStringLiteral("0000.") + spaces12());
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dianshibiao.ini"));
        writeFile(path, gbk(QStringLiteral("湖南卫视\r\nhttp://a/1\r\nxy\r\nhttp://skip\r\nCCTV-1\r\nhttp://a/2\r\n\r\n")));
        ListBox list;
        ChannelTables tables;
        loadDirectory(path, list, tables);
        QCOMPARE(list.items(), (QStringList{"0000.湖南卫视", "0001.CCTV-1"}));
        QCOMPARE(tables.Url, (QStringList{"http://a/1", "http://a/2"}));
        QCOMPARE(tables.Line.at(1), QStringLiteral("0001.CCTV-1") + spaces12() + "CCTV1");
        QCOMPARE(tables.UrlAll, tables.Url);
        QCOMPARE(tables.LineAll, tables.Line);
        QCOMPARE(tables.entryCount(), 2);
    }

    void missingFileLeavesDirectoryEmpty()
    {
        QTemporaryDir dir;
        ListBox list;
        ChannelTables tables;
        loadDirectory(dir.filePath(QStringLiteral("none.ini")), list, tables);
        QCOMPARE(list.ListCount(), 0);
        QCOMPARE(tables.entryCount(), 0);
    }

    void badFilesLoadWhatDecodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("entries");
        QTest::newRow("invalid gbk") << QByteArray("\xFF\xFE\x81name\r\nhttp://a\r\nabc\r\nhttp://b\r\n") << 2;
        QTest::newRow("nul bytes") << QByteArray("ab\0c\r\nhttp://\0\r\n", 14) << 1;
        QTest::newRow("one enormous line") << QByteArray(8 * 1024 * 1024, 'x') << 0;
        QTest::newRow("no line ends") << QByteArray("abcdefhttp://x") << 0;
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n\n\n") << 0;
    }
    void badFilesLoadWhatDecodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, entries);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.ini"));
        writeFile(path, bytes);
        ListBox list;
        ChannelTables tables;
        loadDirectory(path, list, tables);
        QCOMPARE(list.ListCount(), entries);
        QCOMPARE(tables.entryCount(), entries);
    }

    void pipeInsteadOfFileDoesNotBlock()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dianshibiao.ini"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        ListBox list;
        ChannelTables tables;
        loadDirectory(path, list, tables); // would wait for a writer for ever if opened
        QCOMPARE(list.ListCount(), 0);
#else
        QSKIP("named pipes are a POSIX matter");
#endif
    }

    void noCapOnEntries()
    {
        QByteArray bytes;
        const int count = 200000;
        for (int i = 0; i < count; ++i)
            bytes += "Channel " + QByteArray::number(i) + "\r\nhttp://h/" + QByteArray::number(i) + "\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.ini"));
        writeFile(path, bytes);
        ListBox list;
        ChannelTables tables;
        loadDirectory(path, list, tables);
        QCOMPARE(list.ListCount(), count);
        QCOMPARE(tables.entryCount(), count);
        QCOMPARE(list.List(4401), QStringLiteral("4401.Channel 4401"));
        QCOMPARE(list.List(count - 1), QStringLiteral("199999.Channel 199999"));
        QCOMPARE(tables.Url.at(count - 1), QStringLiteral("http://h/199999"));
    }
};

QTEST_MAIN(TestChannelList)
#include "tst_channellist.moc"

#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "platform/codepage936.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

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

QStringList readLines(const QString &text, LastLine last)
{
    ListLines lines(text, last);
    QStringList list;
    QStringView line;
    while (lines.next(line))
        list.append(line.toString());
    return list;
}

// What the list box shows: the display text of every row.
QStringList shownRows(const ChannelDirectory &directory)
{
    QStringList rows;
    for (int r = 0; r < directory.rowCount(); ++r)
        rows.append(directory.data(directory.index(r)).toString());
    return rows;
}

ChannelEntries threeEntries()
{
    ChannelEntries entries;
    entries.append(u"湖南卫视", u"http://a/0");
    entries.append(u"CCTV-1", u"http://a/1");
    entries.append(u"中央1台", u"http://a/2");
    return entries;
}

} // namespace

class TestChannelList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("downloaded");
        QTest::newRow("empty") << QString() << QStringList() << QStringList();
        QTest::newRow("crlf") << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b"} << QStringList{"a", "b", ""};
        QTest::newRow("lf only") << QStringLiteral("a\nb\n") << QStringList{"a", "b"} << QStringList{"a", "b", ""};
        QTest::newRow("mixed") << QStringLiteral("a\r\nb\nc") << QStringList{"a", "b", "c"} << QStringList{"a", "b", "c"};
        QTest::newRow("no line end") << QStringLiteral("abc") << QStringList{"abc"} << QStringList{"abc"};
        QTest::newRow("double crlf") << QStringLiteral("a\r\n\r\n") << QStringList{"a", ""} << QStringList{"a", "", ""};
        QTest::newRow("lone cr stays") << QStringLiteral("a\rb\r\n") << QStringList{"a\rb"} << QStringList{"a\rb", ""};
        QTest::newRow("cr cr lf") << QStringLiteral("a\r\r\n") << QStringList{"a\r"} << QStringList{"a\r", ""};
        QTest::newRow("only line ends") << QStringLiteral("\r\n\n") << QStringList{"", ""} << QStringList{"", "", ""};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QTEST(readLines(text, LastLine::DropEmpty), "lines");
        QTEST(readLines(text, LastLine::KeepEmpty), "downloaded");
    }

    void entryNumbers_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("row");
        QTest::newRow("first") << 0 << QStringLiteral("0000.ab");
        QTest::newRow("fourth") << 3 << QStringLiteral("0003.ab");
        QTest::newRow("4400") << 4400 << QStringLiteral("4400.ab");
        QTest::newRow("9999") << 9999 << QStringLiteral("9999.ab");
        QTest::newRow("10000 keeps all digits") << 10000 << QStringLiteral("10000.ab");
        QTest::newRow("123456") << 123456 << QStringLiteral("123456.ab");
    }
    void entryNumbers()
    {
        QFETCH(int, n);
        ChannelEntries entries;
        for (int i = 0; i <= n; ++i)
            entries.append(u"ab", u"u");
        QTEST(entries.rowText(n).toString(), "row");
        // Initials come from the name alone, never from the number.
        QCOMPARE(entries.line(n), entries.rowText(n).toString() + spaces12() + "AB");
    }

    void entryParts()
    {
        const ChannelEntries entries = threeEntries();
        QCOMPARE(entries.count(), 3);
        QCOMPARE(entries.rowText(0), u"0000.湖南卫视");
        QCOMPARE(entries.line(0), QStringLiteral("0000.湖南卫视") + spaces12() + "HNWS");
        QCOMPARE(entries.line(1), QStringLiteral("0001.CCTV-1") + spaces12() + "CCTV1");
        QCOMPARE(entries.line(2), QStringLiteral("0002.中央1台") + spaces12() + "ZY1T");
        QCOMPARE(entries.url(2), u"http://a/2");
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
        ChannelDirectory directory;
        directory.setEntries(parseListFile(text));
        QCOMPARE(shownRows(directory), rows);
        QCOMPARE(directory.UrlAll(), urls);
        QCOMPARE(directory.LineAll().size(), rows.size());
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY(directory.LineAll().at(i).startsWith(rows.at(i) + spaces12()));
    }

    void downloadedListTakesEveryPair()
    {
        const ChannelEntries entries = parseDownloadedList(QStringLiteral("\r\nhttp://x\r\nab\r\n\r\ntail"));
        QCOMPARE(entries.count(), 2);
        QCOMPARE(entries.rowText(0), u"0000.");
        QCOMPARE(entries.rowText(1), u"0001.ab");
        QCOMPARE(entries.url(0), u"http://x");
        QCOMPARE(entries.url(1), u"");
        QCOMPARE(entries.line(0), QStringLiteral("0000.") + spaces12());
    }

    // The rows are entry indexes; the working tables follow them.
    void rowsAreAViewOfTheEntries()
    {
        ChannelDirectory directory;
        QSignalSpy resets(&directory, &QAbstractItemModel::modelReset);
        directory.setEntries(threeEntries());
        QCOMPARE(resets.size(), 1);
        QCOMPARE(directory.rows(), (QList<int>{0, 1, 2}));
        QCOMPARE(directory.shown(), ChannelDirectory::RowText::Short);
        QCOMPARE(shownRows(directory), (QStringList{"0000.湖南卫视", "0001.CCTV-1", "0002.中央1台"}));

        const quint64 changes = directory.rowChanges();
        directory.setRows({2, 0}, ChannelDirectory::RowText::EntryLine);
        QCOMPARE(resets.size(), 2);
        QVERIFY(directory.rowChanges() > changes);
        QCOMPARE(shownRows(directory), directory.Line());
        QCOMPARE(directory.Line(), (QStringList{directory.LineAll().at(2), directory.LineAll().at(0)}));
        QCOMPARE(directory.Url(), (QStringList{"http://a/2", "http://a/0"}));
        QCOMPARE(directory.UrlAll(), (QStringList{"http://a/0", "http://a/1", "http://a/2"}));
        QCOMPARE(directory.urlAt(1), QStringLiteral("http://a/0"));
        for (int outside : {-1, 2, 1000})
            QVERIFY(directory.urlAt(outside).isEmpty());
        QVERIFY(!directory.data(directory.index(0), Qt::DecorationRole).isValid());
        QVERIFY(!directory.data(directory.index(5)).isValid());

        // New entries: every row, as row texts.
        directory.setEntries(parseListFile(QStringLiteral("北京新闻\r\nhttp://b/0\r\n")));
        QCOMPARE(shownRows(directory), QStringList{"0000.北京新闻"});
        QCOMPARE(directory.Url(), QStringList{"http://b/0"});
    }

    // Another subsystem narrows the rows set (only favourites): rows that
    // leave go a run at a time, so the list keeps its place; rows that come
    // reset the list.
    void narrowing_data()
    {
        QTest::addColumn<QList<int>>("keptBefore");
        QTest::addColumn<QList<int>>("keptAfter");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("removals");
        QTest::addColumn<int>("resets");
        QTest::newRow("one leaves") << QList<int>{0, 2, 3, 5} << QList<int>{0, 3, 5} << QList<int>{0, 3, 5} << 1 << 0;
        QTest::newRow("a run leaves") << QList<int>{0, 1, 2, 3, 4, 5} << QList<int>{0, 4, 5} << QList<int>{0, 4, 5} << 1
                                      << 0;
        QTest::newRow("three runs leave") << QList<int>{0, 1, 2, 3, 4, 5} << QList<int>{1, 4} << QList<int>{1, 4} << 3
                                          << 0;
        QTest::newRow("all leave") << QList<int>{1, 2} << QList<int>{} << QList<int>{} << 1 << 0;
        QTest::newRow("one comes") << QList<int>{0, 2} << QList<int>{0, 1, 2} << QList<int>{0, 1, 2} << 0 << 1;
        QTest::newRow("nothing changes") << QList<int>{3} << QList<int>{3} << QList<int>{3} << 0 << 0;
    }
    void narrowing()
    {
        QFETCH(QList<int>, keptBefore);
        QFETCH(QList<int>, keptAfter);
        ChannelDirectory directory;
        ChannelEntries entries;
        for (int i = 0; i < 7; ++i)
            entries.append(QString::number(i), u"http://x");
        directory.setEntries(std::move(entries));
        QList<int> kept = keptBefore;
        directory.setNarrowing([&kept](const QList<int> &rows) {
            QList<int> out;
            for (const int entry : rows) {
                if (kept.contains(entry))
                    out.append(entry);
            }
            return out;
        });
        directory.setRows({0, 1, 2, 3, 4, 5}, ChannelDirectory::RowText::EntryLine); // not entry 6
        QCOMPARE(directory.rows(), keptBefore);
        QSignalSpy removals(&directory, &QAbstractItemModel::rowsRemoved);
        QSignalSpy resets(&directory, &QAbstractItemModel::modelReset);
        kept = keptAfter;
        directory.narrowAgain();
        // As vectors: comparing two empty lists reaches memcmp with a null
        // pointer in the toolkit's own header.
        QFETCH(QList<int>, rows);
        QCOMPARE(std::vector<int>(directory.rows().cbegin(), directory.rows().cend()),
                 std::vector<int>(rows.cbegin(), rows.cend()));
        QTEST(int(removals.size()), "removals");
        QTEST(int(resets.size()), "resets");
        QCOMPARE(directory.rowsSet(), (QList<int>{0, 1, 2, 3, 4, 5}));
        directory.setNarrowing({});
        QCOMPARE(directory.rows(), directory.rowsSet());
    }

    void matchesFollowNewEntries()
    {
        ChannelDirectory directory;
        directory.setEntries(threeEntries());
        QCOMPARE(directory.matches(QStringLiteral("cctv")), QList<int>{1});
        QCOMPARE(directory.matches(QStringLiteral("1")), (QList<int>{1, 2}));
        directory.setEntries(parseListFile(QStringLiteral("CCTV-5\r\nhttp://c\r\n湖南卫视\r\nhttp://d\r\n")));
        QCOMPARE(directory.matches(QStringLiteral("cctv")), QList<int>{0});
        QCOMPARE(directory.matches(QString()), (QList<int>{0, 1}));
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dianshibiao.ini"));
        writeFile(path, gbk(QStringLiteral("湖南卫视\r\nhttp://a/1\r\nxy\r\nhttp://skip\r\nCCTV-1\r\nhttp://a/2\r\n\r\n")));
        ChannelDirectory directory;
        loadDirectory(path, directory);
        QCOMPARE(shownRows(directory), (QStringList{"0000.湖南卫视", "0001.CCTV-1"}));
        QCOMPARE(directory.Url(), (QStringList{"http://a/1", "http://a/2"}));
        QCOMPARE(directory.Line().at(1), QStringLiteral("0001.CCTV-1") + spaces12() + "CCTV1");
        QCOMPARE(directory.UrlAll(), directory.Url());
        QCOMPARE(directory.LineAll(), directory.Line());
    }

    void missingFileLeavesDirectoryAsItWas()
    {
        QTemporaryDir dir;
        ChannelDirectory directory;
        loadDirectory(dir.filePath(QStringLiteral("none.ini")), directory);
        QCOMPARE(directory.rowCount(), 0);
        directory.setEntries(threeEntries());
        loadDirectory(dir.filePath(QStringLiteral("none.ini")), directory);
        QCOMPARE(directory.rowCount(), 3);
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
        ChannelDirectory directory;
        loadDirectory(path, directory);
        QCOMPARE(directory.rowCount(), entries);
        QCOMPARE(directory.entries().count(), entries);
    }

    void pipeInsteadOfFileDoesNotBlock()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dianshibiao.ini"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        ChannelDirectory directory;
        loadDirectory(path, directory); // would wait for a writer for ever if opened
        QCOMPARE(directory.rowCount(), 0);
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
        ChannelDirectory directory;
        loadDirectory(path, directory);
        QCOMPARE(directory.rowCount(), count);
        QCOMPARE(directory.data(directory.index(4401)).toString(), QStringLiteral("4401.Channel 4401"));
        QCOMPARE(directory.data(directory.index(count - 1)).toString(), QStringLiteral("199999.Channel 199999"));
        QCOMPARE(directory.urlAt(count - 1), QStringLiteral("http://h/199999"));
    }
};

QTEST_GUILESS_MAIN(TestChannelList)
#include "tst_channellist.moc"

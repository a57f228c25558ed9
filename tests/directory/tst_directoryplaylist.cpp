#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "directory/directoryplaylist.h"
#include "playlist/companion.h"
#include "playlist/listfile.h"
#include "playlist/playlist.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One line per entry: its row text, initials, URL and the extras it has.
QStringList describe(const ChannelEntries &entries)
{
    QStringList lines;
    for (int i = 0; i < entries.count(); ++i) {
        const EntryExtras x = entries.extras(i);
        const QStringView row = entries.rowText(i);
        if (!row.endsWith(entries.name(i)) || entries.line(i).sliced(row.size(), 12) != QString(12, u' '))
            return {QStringLiteral("entry %1 is not whole").arg(i)};
        QString line = row.toString() + QStringLiteral(" / ") + entries.line(i).sliced(row.size() + 12).toString() + " -> "
            + entries.url(i).toString();
        if (!x.isEmpty())
            line += QStringLiteral(" {%1|%2|%3|%4|%5}").arg(x.group, x.logo, x.tvgId, x.tvgName, x.tvgShift);
        lines << line;
    }
    return lines;
}

ChannelEntries loaded(const QString &listFile)
{
    ChannelDirectory directory;
    loadDirectory(listFile, directory);
    return directory.entries();
}

// A playlist of n entries whose lines are the kinds that meet at a cut: tags
// before #EXTINF, groups from #EXTGRP, relative addresses, headers, blank
// lines, names with no #EXTINF.
QByteArray mixedPlaylist(int n)
{
    QByteArray text = "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://g/e.xml\"\r\n";
    for (int i = 0; i < n; ++i) {
        const QByteArray k = QByteArray::number(i);
        switch (i % 5) {
        case 0:
            text += "#EXTVLCOPT:http-user-agent=UA " + k + "\n#EXTINF:-1 tvg-id=\"id" + k + "\" group-title=\"卫视\",湖南卫视" + k
                + "\nhttp://a/" + k + "\n";
            break;
        case 1:
            text += "#EXTGRP:体育\n#EXTINF:-1,CCTV-5 " + k + "\r\nlive/" + k + ".m3u8\r\n\r\n";
            break;
        case 2:
            text += "http://b/" + k + "|Referer=http://r/\n";
            break;
        case 3:
            text += "#EXTINF:-1 tvg-logo=\"logos/" + k + ".png\" tvg-shift=\"+8\",㑳 " + k + "\n# a comment\nnot a url\n";
            break;
        default:
            text += "#EXTINF:-1 radio=\"true\",中国之声 " + k + "\nhttp://r/" + k + "\n";
            break;
        }
    }
    return text;
}

const QUrl kSource(QStringLiteral("http://lists.example/tv/list.m3u8"));

} // namespace

class TestDirectoryPlaylist : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // No companion write of one test runs into the next.
    void cleanup() { waitForCompanionFiles(); }

    // An import as it changes the directory and its files, and what the next
    // start reads back from them.
    void importAndRestart_data()
    {
        QTest::addColumn<QString>("before"); // the list file at start; empty: none
        QTest::addColumn<QByteArray>("playlist");
        QTest::addColumn<bool>("append");
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("added");
        QTest::addColumn<QStringList>("entries"); // empty: as before
        const QString downloaded = QStringLiteral("湖南卫视\r\nhttp://a/1\r\n");
        const QString kept = QStringLiteral("0000.湖南卫视 / HNWS -> http://a/1");
        const int all = int(ImportedEntries::All);

        QTest::newRow("replace: extras, headers, a short name, a character GBK lacks")
            << QString()
            << QByteArray("#EXTM3U url-tvg=\"http://g/e.xml\"\n"
                          "#EXTINF:-1 tvg-id=\"hn\" tvg-name=\"湖南\" tvg-logo=\"http://l/hn.png\" group-title=\"卫视\" "
                          "tvg-shift=\"8\",湖南卫视\n#EXTVLCOPT:http-user-agent=UA\nhttp://a/1\n"
                          "#EXTINF:-1 group-title=\"测试\",A1\nhttp://a/2\n#EXTINF:-1,㑳 📻\nhttp://a/3\n")
            << false << all << 3
            << QStringList{"0000.湖南卫视 / HNWS -> http://a/1|User-Agent=UA {卫视|http://l/hn.png|hn|湖南|8}",
                           "0001.A1 / A1 -> http://a/2 {测试||||}", "0002.㑳 📻 /  -> http://a/3"};
        QTest::newRow("replace a downloaded directory")
            << downloaded << QByteArray("#EXTINF:-1,CCTV-1\nhttp://c/1\nhttp://c/2") << false << all << 2
            << QStringList{"0000.CCTV-1 / CCTV1 -> http://c/1", "0001.http://c/2 / HTTPC2 -> http://c/2"};
        QTest::newRow("append skips listed and repeated URLs")
            << downloaded
            << QByteArray("#EXTINF:-1,again\nhttp://a/1\n#EXTINF:-1 group-title=\"g\",新闻\nhttp://a/2\n"
                          "#EXTINF:-1,repeat\nhttp://a/2\n#EXTINF:-1,体育\nhttp://a/3")
            << true << all << 2
            << QStringList{kept, "0001.新闻 / XW -> http://a/2 {g||||}", "0002.体育 / TY -> http://a/3"};
        QTest::newRow("append with every URL listed: nothing changes")
            << downloaded << QByteArray("#EXTINF:-1,again\nhttp://a/1") << true << all << 0 << QStringList{};
        QTest::newRow("a playlist without entries: nothing changes")
            << downloaded << QByteArray("\x89PNG\r\n\x1A\nno url here\n#EXTINF:-1,lost") << false << all << 0
            << QStringList{};
        QTest::newRow("a playlist without entries into no directory: no file")
            << QString() << QByteArray("#EXTM3U\n") << false << all << 0 << QStringList{};
        const QByteArray mixed("#EXTINF:-1 radio=\"true\",中国之声\nhttp://r/1\n#EXTINF:-1,CCTV-1\nhttp://c/1");
        QTest::newRow("the radio entries") << QString() << mixed << false << int(ImportedEntries::RadioOnly) << 1
                                           << QStringList{"0000.中国之声 / ZGZS -> http://r/1"};
        QTest::newRow("all but the radio entries") << downloaded << mixed << false
                                                   << int(ImportedEntries::AllButRadio) << 1
                                                   << QStringList{"0000.CCTV-1 / CCTV1 -> http://c/1"};
    }
    void importAndRestart()
    {
        QFETCH(QString, before);
        QFETCH(QByteArray, playlist);
        QFETCH(bool, append);
        QFETCH(int, which);
        QFETCH(QStringList, entries);
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("dianshibiao.ini"));
        ChannelDirectory directory;
        if (!before.isEmpty()) {
            QVERIFY(writeFile(listFile, encodeListFileText(before)));
            loadDirectory(listFile, directory);
        }
        const QStringList was = describe(directory.entries());
        const QByteArray fileWas = readFile(listFile);

        const ImportResult result = importPlaylist(directory, listFile, playlist, kSource,
                                                   append ? ImportMode::Append : ImportMode::Replace, false,
                                                   ImportedEntries(which));
        QTEST(result.added, "added");
        if (entries.isEmpty()) {
            QCOMPARE(describe(directory.entries()), was);
            QCOMPARE(readFile(listFile), fileWas);
            QVERIFY(!QFile::exists(companionFilePath(listFile)));
            return;
        }
        QCOMPARE(describe(directory.entries()), entries);
        QCOMPARE(directory.rows().size(), entries.size());
        QVERIFY(result.stored);
        waitForCompanionFiles(); // it follows the import on a thread of its own
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"dianshibiao.ini", "dianshibiao.m3u8"}));
        // The next start: the list file with its companion gives the same directory.
        const ChannelEntries again = loaded(listFile);
        QCOMPARE(describe(again), entries);
        QCOMPARE(again.guideUrl(), directory.entries().guideUrl());
    }

    // The companion lends its extras only to the list file it was written
    // with: the same URLs in the same order.
    void companionBelongsToItsListFile_data()
    {
        QTest::addColumn<QStringList>("listUrls");
        QTest::addColumn<QStringList>("companionUrls");
        QTest::addColumn<bool>("extras");
        const QStringList urls = {"http://a/1", "http://a/2|User-Agent=x", "http://a/3"};
        QTest::newRow("the same URLs in the same order") << urls << urls << true;
        QTest::newRow("another order") << urls << QStringList{urls[1], urls[0], urls[2]} << false;
        QTest::newRow("the list file has one more") << urls + QStringList{"http://a/4"} << urls << false;
        QTest::newRow("the list file has one less") << urls.mid(0, 2) << urls << false;
        QTest::newRow("one URL differs") << QStringList{urls[0], "http://a/2", urls[2]} << urls << false;
        QTest::newRow("an empty companion") << urls << QStringList{} << false;
    }
    void companionBelongsToItsListFile()
    {
        QFETCH(QStringList, listUrls);
        QFETCH(QStringList, companionUrls);
        QFETCH(bool, extras);
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("diantaibiao.ini"));
        Playlist list;
        Playlist companion;
        for (const QString &url : listUrls)
            list.entries.append({QStringLiteral("台 ") + url, url});
        for (const QString &url : companionUrls)
            companion.entries.append({QStringLiteral("台 ") + url, url, QStringLiteral("group of ") + url});
        QVERIFY(writeFile(listFile, listFileContent(PlaylistEntryViews::of(list))));
        QVERIFY(writeFile(companionFilePath(listFile), exportM3u8(companion)));

        const ChannelEntries entries = loaded(listFile);
        QCOMPARE(entries.count(), listUrls.size());
        QCOMPARE(entries.hasExtras(), extras);
        for (int i = 0; i < entries.count(); ++i) {
            QCOMPARE(entries.url(i), listUrls.at(i));
            QCOMPARE(entries.extras(i).group, extras ? QStringLiteral("group of ") + listUrls.at(i) : QString());
        }
    }

    // The list file's names stand; only a name it padded to three characters
    // comes from the companion as it was.
    void namesComeFromTheListFile()
    {
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("dianshibiao.ini"));
        QVERIFY(writeFile(listFile, encodeListFileText(QStringLiteral("A1 \r\nhttp://a/1\r\n编辑过\r\nhttp://a/2\r\n"))));
        QVERIFY(writeFile(companionFilePath(listFile),
                          "#EXTINF:-1 group-title=\"g\",A1\nhttp://a/1\n#EXTINF:-1,原名\nhttp://a/2\n"));
        const ChannelEntries entries = loaded(listFile);
        QCOMPARE(describe(entries), (QStringList{"0000.A1 / A1 -> http://a/1 {g||||}", "0001.编辑过 / BJG -> http://a/2"}));
        QCOMPARE(entries.name(0), u"A1");
    }

    void importOfAnExportGivesTheSameDirectory()
    {
        QTemporaryDir dir;
        ChannelDirectory directory;
        QCOMPARE(importPlaylist(directory, dir.filePath(QStringLiteral("diantaibiao.ini")), mixedPlaylist(40), kSource,
                                ImportMode::Replace, true)
                     .added,
                 32);
        const QString exported = dir.filePath(QStringLiteral("电台.m3u8"));
        QVERIFY(exportDirectory(directory.entries(), true, exported));

        // Every entry of a radio export is marked radio: it goes back to the radio directory.
        ChannelDirectory again;
        QCOMPARE(importPlaylist(again, QString(), readFile(exported), QUrl::fromLocalFile(exported),
                                ImportMode::Replace, true, ImportedEntries::RadioOnly)
                     .added,
                 32);
        QCOMPARE(describe(again.entries()), describe(directory.entries()));
        QCOMPARE(again.entries().guideUrl(), QStringLiteral("http://g/e.xml"));
    }

    // A large playlist is read in two parts at once; the directory is the
    // one a reading from start to end gives, numbers past 9999 included,
    // whichever part holds extras.
    void largeImportReadsInParts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // Plain entries, more bytes than the mixed ones: the cut falls among them.
        QByteArray plain = "#EXTM3U\n";
        for (int i = 0; i < 40000; ++i)
            plain += "#EXTINF:-1,频道" + QByteArray::number(i) + "\nhttp://p/" + QByteArray::number(i) + '\n';
        const QByteArray mixed = mixedPlaylist(20000);
        const QByteArray fewMixed = mixedPlaylist(8000);
        QTest::newRow("extras throughout") << mixed;
        QTest::newRow("extras in the second part only") << plain + fewMixed.mid(fewMixed.indexOf('\n') + 1);
        QTest::newRow("extras in the first part only") << fewMixed + plain.mid(plain.indexOf('\n') + 1);
    }
    void largeImportReadsInParts()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(bytes.size() >= PlaylistReading::kMinimumPartBytes);
        QCOMPARE(PlaylistReading(bytes, kSource, 2).parts(), 2);
        ChannelEntries whole;
        const QString guideUrl = readPlaylist(bytes, kSource, [&whole](const PlaylistEntryView &e) {
            whole.append(e.name, e.url, {e.group, e.logo, e.tvgId, e.tvgName, e.tvgShift});
            return true;
        });
        ChannelDirectory directory;
        const ImportResult result = importPlaylist(directory, QString(), bytes, kSource, ImportMode::Replace, false);
        QCOMPARE(result.added, whole.count());
        QVERIFY(whole.count() > 10000);
        QVERIFY(!result.stored); // nothing is kept in this run
        QCOMPARE(describe(directory.entries()), describe(whole));
        QCOMPARE(directory.entries().guideUrl(), guideUrl);
    }

    // Imports and downloads one right after another, while a companion may
    // still be on its way: what is on disk in the end is the last one's.
    void laterWritesWin_data()
    {
        QTest::addColumn<QStringList>("steps"); // "large", "small": imports; "download"
        QTest::addColumn<bool>("companion");    // one is there in the end
        QTest::newRow("a download right after an import") << QStringList{"large", "download"} << false;
        QTest::newRow("an import right after another") << QStringList{"large", "small"} << true;
        QTest::newRow("imports, a download between") << QStringList{"large", "download", "small"} << true;
        QTest::newRow("two imports, then a download") << QStringList{"large", "small", "download"} << false;
    }
    void laterWritesWin()
    {
        QFETCH(QStringList, steps);
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("dianshibiao.ini"));
        ChannelDirectory directory;
        const QByteArray large = mixedPlaylist(20000);
        const QByteArray small("#EXTINF:-1 group-title=\"g\",A\nhttp://s/1");
        for (const QString &step : steps) {
            if (step == u"download") {
                // What a download does on disk (this core test has no network part).
                directory.setEntries(parseDownloadedList(QStringLiteral("湖南卫视\r\nhttp://a/1\r\n")));
                QVERIFY(writeFile(listFile, encodeListFileText(QStringLiteral("湖南卫视\r\nhttp://a/1\r\n"))));
                removeCompanionFile(listFile);
                continue;
            }
            const QByteArray &playlist = step == u"large" ? large : small;
            QVERIFY(importPlaylist(directory, listFile, playlist, kSource, ImportMode::Replace, false).stored);
        }
        waitForCompanionFiles();
        QTEST(QFile::exists(companionFilePath(listFile)), "companion");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), QFile::exists(companionFilePath(listFile)) ? 2 : 1);
        QCOMPARE(describe(loaded(listFile)), describe(directory.entries()));
    }

    // The list file cannot be written: the rows show the import for this
    // run, and nothing on disk changes.
    void unwritableListFile()
    {
        QTemporaryDir dir;
        const QString listFile = dir.filePath(QStringLiteral("missing/dianshibiao.ini"));
        ChannelDirectory directory;
        const ImportResult result = importPlaylist(directory, listFile, "#EXTINF:-1,CCTV-1\nhttp://c/1", kSource,
                                                   ImportMode::Replace, false);
        QCOMPARE(result.added, 1);
        QVERIFY(!result.stored);
        QCOMPARE(directory.rowCount(), 1);
        QVERIFY(!QFile::exists(listFile));
        QVERIFY(!QFile::exists(companionFilePath(listFile)));
    }
};

QTEST_GUILESS_MAIN(TestDirectoryPlaylist)
#include "tst_directoryplaylist.moc"

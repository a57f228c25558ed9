#include "guidefixtures.h"

#include "guide/guidecache.h"
#include "guide/guidesource.h"
#include "guide/programguide.h"
#include "support/testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QList<GuideEntryKey> kEntries = {{{}, {}, QStringLiteral("湖南卫视"), 0}};

QByteArray guideWith(const QString &title)
{
    return xmltvDocument(QStringLiteral("<channel id=\"hn\"><display-name>湖南卫视</display-name></channel>"
                                        "<programme start=\"{0}\" stop=\"{1}\" channel=\"hn\"><title>%1</title>"
                                        "</programme>")
                             .arg(title));
}

QString titleNow(const ProgramGuide &guide)
{
    return guide.nowAndNext(kEntries.first(), QDateTime::fromSecsSinceEpoch(kGuideNow)).now.title;
}

// A program guide over a temporary data folder, its clock at kGuideNow.
struct Fixture
{
    explicit Fixture(const GuideFetchSettings &settings = GuideFetchSettings(2000))
        : guide(folder.path(), settings)
    {
        guide.setEntries(kEntries);
        guide.setClock([] { return kGuideNow; });
    }
    // Runs one update from `source`; the reason it failed, or empty.
    QString update(const QString &source)
    {
        QSignalSpy failed(&guide, &ProgramGuide::updateFailed);
        guide.setSource(source);
        guide.update();
        if (!QTest::qWaitFor([this] { return !guide.isUpdating(); }, 10000))
            return QStringLiteral("still updating");
        return failed.isEmpty() ? QString() : failed.first().first().toString();
    }

    QTemporaryDir folder;
    ProgramGuide guide;
};

} // namespace

class TestProgramGuide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updateDue_data();
    void updateDue();
    void badUpdateKeepsTheLastGoodGuide_data();
    void badUpdateKeepsTheLastGoodGuide();
    void startReadsTheCacheAndFetchesWhenStale();
    void withoutDataFolderNothingIsKept();
    void newestEntriesWin_data();
    void newestEntriesWin();
    void sourceChoice_data();
    void sourceChoice();
    void keptSourceChoice_data();
    void keptSourceChoice();
};

void TestProgramGuide::updateDue_data()
{
    QTest::addColumn<bool>("cached");
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint64>("age");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<qint64>("fileAge"); // age of a local source file, or 0
    QTest::addColumn<bool>("due");

    const QString url = QStringLiteral("http://guide.example/guide.xml");
    QTest::newRow("fresh cache") << true << url << qint64(3600) << false << qint64(0) << false;
    QTest::newRow("asked for") << true << url << qint64(60) << true << qint64(0) << true;
    QTest::newRow("no cache") << false << url << qint64(0) << false << qint64(0) << true;
    QTest::newRow("no source, even asked") << false << QString() << qint64(0) << true << qint64(0) << false;
    QTest::newRow("just under 12 hours") << true << url << qint64(12 * 3600 - 1) << false << qint64(0) << false;
    QTest::newRow("12 hours") << true << url << qint64(12 * 3600) << false << qint64(0) << true;
    QTest::newRow("half an hour ahead") << true << url << qint64(-1800) << false << qint64(0) << false;
    QTest::newRow("two hours ahead: the clock went back") << true << url << qint64(-7200) << false << qint64(0) << true;
    QTest::newRow("another source") << true << url + QLatin1Char('2') << qint64(60) << false << qint64(0) << true;
    QTest::newRow("local file newer than the cache") << true << url << qint64(3600) << false << qint64(60) << true;
    QTest::newRow("local file older than the cache") << true << url << qint64(60) << false << qint64(3600) << false;
}

void TestProgramGuide::updateDue()
{
    QFETCH(bool, cached);
    QFETCH(QString, source);
    QFETCH(qint64, age);
    QFETCH(bool, requested);
    QFETCH(qint64, fileAge);
    QFETCH(bool, due);

    const QByteArray keys = guideKeysDigest(kEntries);
    const Guide guide({}, kGuideNow - age, QStringLiteral("http://guide.example/guide.xml"), keys);
    const qint64 modified = fileAge ? kGuideNow - fileAge : 0;
    QCOMPARE(guideUpdateDue(cached ? &guide : nullptr, source, keys, kGuideNow, requested, modified), due);
    if (cached && !due)
        QVERIFY(guideUpdateDue(&guide, source, guideKeysDigest({}), kGuideNow, requested, modified));
}

void TestProgramGuide::badUpdateKeepsTheLastGoodGuide_data()
{
    QTest::addColumn<TestHttpAnswer>("answer");
    QTest::addColumn<QString>("error"); // empty: the answer is the new guide

    const QByteArray fresh = guideWith(QStringLiteral("新一期"));
    QTest::newRow("new guide") << TestHttpAnswer::text(fresh) << QString();
    QTest::newRow("new guide, gzip") << TestHttpAnswer::text(gzipped(fresh), 200, "application/gzip") << QString();
    QTest::newRow("malformed XML") << TestHttpAnswer::text(fresh.left(fresh.size() - 20) + "</tv>") << "line 3:";
    QTest::newRow("truncated gzip") << TestHttpAnswer::text(gzipped(fresh).chopped(8)) << "cut off";
    // Inflates to 16 MiB; the guide is allowed 4 MiB below.
    const QByteArray bomb = gzipped("<tv>" + QByteArray(16 * 1024 * 1024, ' '));
    QTest::newRow("gzip bomb") << TestHttpAnswer::text(bomb) << "inflates to more than";
    QTest::newRow("none of our channels")
        << TestHttpAnswer::text(xmltvDocument(QStringLiteral("<channel id=\"x\"><display-name>X</display-name></channel>"
                                                             "<programme start=\"{0}\" stop=\"{1}\" channel=\"x\">"
                                                             "<title>X</title></programme>")))
        << "no programmes";
    QTest::newRow("error page") << TestHttpAnswer::html(QStringLiteral("<html>没有</html>"), 404) << "404";
    QTest::newRow("larger than the cap") << TestHttpAnswer::text(QByteArray(300 * 1024, ' ')) << "larger than";
    TestHttpAnswer cut = TestHttpAnswer::text(fresh);
    cut.headers = {{"Content-Length", QByteArray::number(fresh.size() + 100)}, {"Connection", "close"}};
    QTest::newRow("connection closed early") << cut << "cut off";
    QTest::newRow("no answer") << TestHttpAnswer::silent() << "no answer";
}

void TestProgramGuide::badUpdateKeepsTheLastGoodGuide()
{
    QFETCH(TestHttpAnswer, answer);
    QFETCH(QString, error);

    TestHttpServer server;
    server.setAnswer(QStringLiteral("/first.xml"), TestHttpAnswer::text(guideWith(QStringLiteral("第一期"))));
    server.setAnswer(QStringLiteral("/next"), answer);
    GuideFetchSettings settings(2000);
    settings.maxBytes = 256 * 1024;
    Fixture fixture(settings);
    GuideLimits limits;
    limits.maxXmlBytes = 4 * 1024 * 1024;
    fixture.guide.setLimits(limits);
    QCOMPARE(fixture.update(server.url(QStringLiteral("/first.xml"))), QString());
    QCOMPARE(titleNow(fixture.guide), QStringLiteral("第一期"));

    const QString outcome = fixture.update(server.url(QStringLiteral("/next")));
    QVERIFY2(error.isEmpty() ? outcome.isEmpty() : outcome.contains(error), qPrintable(outcome));
    const QString expected = error.isEmpty() ? QStringLiteral("新一期") : QStringLiteral("第一期");
    QCOMPARE(titleNow(fixture.guide), expected);
    const std::shared_ptr<Guide> cached = loadGuideCache(fixture.folder.path());
    QVERIFY(cached);
    QCOMPARE(cached->channels().first().programmes.first().title, expected);
    // No temporary download is left behind.
    QCOMPARE(QDir(fixture.folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("jiemuzhinan.dat")});
}

void TestProgramGuide::startReadsTheCacheAndFetchesWhenStale()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/guide.xml"), TestHttpAnswer::text(guideWith(QStringLiteral("网上的"))));
    const QString url = server.url(QStringLiteral("/guide.xml"));
    for (const qint64 age : {qint64(3600), qint64(13 * 3600)}) {
        server.clearRequests();
        Fixture fixture;
        const Guide cached({{QStringLiteral("hn"), {QStringLiteral("湖南卫视")},
                             {{kGuideNow - 60, kGuideNow + 60, QStringLiteral("缓存的"), {}}}}},
                           kGuideNow - age, url, guideKeysDigest(kEntries));
        QVERIFY(saveGuideCache(fixture.folder.path(), cached));
        // Downloads left by runs that ended in the middle of one: the old one goes with the next fetch.
        const QString stale = fixture.folder.filePath(QStringLiteral("jiemuzhinan-old.part"));
        const QString recent = fixture.folder.filePath(QStringLiteral("jiemuzhinan-new.part"));
        for (const QString &path : {stale, recent}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile staleFile(stale);
        QVERIFY(staleFile.open(QIODevice::ReadWrite));
        QVERIFY(staleFile.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        staleFile.close();
        QSignalSpy changed(&fixture.guide, &ProgramGuide::guideChanged);
        fixture.guide.setSource(url);
        fixture.guide.start();
        QTRY_COMPARE(changed.size(), age < kGuideMaxAgeSeconds ? 1 : 2);
        QTRY_VERIFY(!fixture.guide.isUpdating());
        QCOMPARE(server.requestCount(), age < kGuideMaxAgeSeconds ? 0 : 1);
        QCOMPARE(titleNow(fixture.guide), age < kGuideMaxAgeSeconds ? QStringLiteral("缓存的") : QStringLiteral("网上的"));
        QCOMPARE(QFile::exists(stale), age < kGuideMaxAgeSeconds);
        QVERIFY(QFile::exists(recent));
    }
}

void TestProgramGuide::withoutDataFolderNothingIsKept()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/guide.xml.gz"), TestHttpAnswer::text(gzipped(guideWith(QStringLiteral("今天的")))));
    ProgramGuide guide(QString(), GuideFetchSettings(2000));
    guide.setEntries(kEntries);
    guide.setClock([] { return kGuideNow; });
    guide.setSource(server.url(QStringLiteral("/guide.xml.gz")));
    guide.start();
    QTRY_COMPARE(titleNow(guide), QStringLiteral("今天的"));
    QTRY_VERIFY(!guide.isUpdating());
    // The download went to the temporary folder and is gone again.
    QCOMPARE(QDir::temp().entryList({QStringLiteral("jiemuzhinan-*")}), QStringList());
}

// The chosen source, else the first playlist guide, else the service's.
// Keys are made on a worker: those of the latest entries are used, and an
// update asked for while they are made waits for them.
void TestProgramGuide::newestEntriesWin_data()
{
    QTest::addColumn<bool>("updateMeanwhile");
    QTest::newRow("a second change while the first is made") << false;
    QTest::newRow("the same, an update asked meanwhile") << true;
}

void TestProgramGuide::newestEntriesWin()
{
    QFETCH(bool, updateMeanwhile);
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/guide.xml"), TestHttpAnswer::text(guideWith(QStringLiteral("今天的"))));
    Fixture fixture;
    ProgramGuide &guide = fixture.guide;
    // Keys the guide has nothing for: a read with them fails.
    const QList<GuideEntryKey> other = {{{}, {}, QStringLiteral("东方卫视"), 0}};
    guide.setEntries(other);
    QTRY_VERIFY(!guide.takingEntries());
    QCOMPARE(guide.entriesDigest(), guideKeysDigest(other));

    const auto started = std::make_shared<QSemaphore>();
    const auto go = std::make_shared<QSemaphore>();
    const QSemaphoreReleaser releaser(*go); // the worker never stays blocked, even when a check fails
    guide.setEntries([started, go, other] {
        started->release();
        go->acquire();
        return other;
    });
    QVERIFY(started->tryAcquire(1, 10000)); // these keys are being made
    QSignalSpy taken(&guide, &ProgramGuide::entriesTaken);
    QSignalSpy failed(&guide, &ProgramGuide::updateFailed);
    if (updateMeanwhile) {
        guide.setSource(server.url(QStringLiteral("/guide.xml")));
        guide.update();
        QVERIFY(guide.isUpdating());
    }
    const QList<GuideEntryKey> newest = {{QStringLiteral("hn"), {}, QStringLiteral("湖南卫视"), 0}};
    guide.setEntries(newest);
    QVERIFY(guide.takingEntries());
    go->release();
    QTRY_VERIFY(!guide.takingEntries());
    QTRY_VERIFY(!guide.isUpdating());
    QCOMPARE(taken.size(), 1);
    QCOMPARE(guide.entriesDigest(), guideKeysDigest(newest));
    QCOMPARE(server.requestCount(), updateMeanwhile ? 1 : 0);
    if (updateMeanwhile) {
        QCOMPARE(failed.size(), 0);
        QCOMPARE(titleNow(guide), QStringLiteral("今天的"));
        QCOMPARE(guide.guide()->keysDigest(), guideKeysDigest(newest));
    }
}

void TestProgramGuide::sourceChoice_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("playlists"); // url-tvg of the TV and of the radio playlist
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("source");
    const QString host = QStringLiteral("http://h1:8801");
    QTest::newRow("nothing but the service") << "" << QStringList{"", ""} << host << "http://h1:8801/guide.xml";
    QTest::newRow("TV playlist") << "" << QStringList{"http://g/tv.xml", "http://g/r.xml"} << host << "http://g/tv.xml";
    QTest::newRow("radio playlist") << "" << QStringList{"", "http://g/r.xml"} << host << "http://g/r.xml";
    QTest::newRow("several, the first") << "" << QStringList{" http://g/a.xml.gz , http://g/b.xml", ""} << host
                                        << "http://g/a.xml.gz";
    QTest::newRow("empty first of several") << "" << QStringList{", http://g/b.xml", ""} << host << "http://g/b.xml";
    QTest::newRow("only commas") << "" << QStringList{" , ", ""} << host << "http://h1:8801/guide.xml";
    QTest::newRow("chosen first") << " /home/u/指南.xml " << QStringList{"http://g/tv.xml", ""} << host
                                  << "/home/u/指南.xml";
    QTest::newRow("no host") << "" << QStringList{"", ""} << "" << "";
}

void TestProgramGuide::sourceChoice()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, playlists);
    QFETCH(QString, host);
    QTEST(chooseGuideSource(chosen, playlists, host), "source");
}

// What 节目指南来源… keeps, and what a damaged file gives back.
void TestProgramGuide::keptSourceChoice_data()
{
    QTest::addColumn<QByteArray>("file"); // written as the kept file; empty: saved through saveGuideSourceChoice
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("address") << QByteArray() << "http://g/e.xml.gz" << "http://g/e.xml.gz";
    QTest::newRow("Chinese path") << QByteArray() << " /媒体/节目指南.xml\n" << "/媒体/节目指南.xml";
    QTest::newRow("two lines: the first") << QByteArray() << "http://a/1.xml\nhttp://b/2.xml" << "http://a/1.xml";
    QTest::newRow("cleared") << QByteArray() << "" << "";
    QTest::newRow("CR LF file") << QByteArray("http://g/e.xml\r\n") << "" << "http://g/e.xml";
    QTest::newRow("not UTF-8") << QByteArray("http://g/\xff\xfe.xml\n") << "" << "";
    QTest::newRow("too large") << QByteArray(9000, 'a') << "" << "";
}

void TestProgramGuide::keptSourceChoice()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    if (file.isEmpty()) {
        QVERIFY(saveGuideSourceChoice(dir.path(), QStringLiteral("http://old/e.xml")));
        QVERIFY(saveGuideSourceChoice(dir.path(), saved));
    } else {
        QFile out(dir.filePath(QLatin1String(GuideSourceFileName)));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QTEST(loadGuideSourceChoice(dir.path()), "loaded");
    // A run that keeps nothing neither reads nor writes.
    QVERIFY(!saveGuideSourceChoice(QString(), saved));
    QCOMPARE(loadGuideSourceChoice(QString()), QString());
}

QTEST_GUILESS_MAIN(TestProgramGuide)
#include "tst_programguide.moc"

#include "favourites/favourites.h"
#include "favourites/recents.h"
#include "favourites/urlset.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr DirectoryKind Tv = DirectoryKind::Tv;
constexpr DirectoryKind Radio = DirectoryKind::Radio;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What a start with this data folder finds, one line per fact.
QStringList keptFacts(const QString &dataDir)
{
    QStringList facts;
    const Favourites favourites(dataDir);
    const Recents recents(dataDir);
    for (const DirectoryKind d : {Tv, Radio}) {
        for (const QString &url : favourites.urls(d))
            facts << QStringLiteral("fav %1 %2").arg(directoryWord(d), url);
    }
    for (const PlayedEntry &e : recents.entries())
        facts << QStringLiteral("recent %1 %2 %3").arg(directoryWord(e.directory), e.name, e.url);
    for (const DirectoryKind d : {Tv, Radio}) {
        if (const auto last = recents.lastPlayed(d))
            facts << QStringLiteral("last %1 %2").arg(directoryWord(d), last->url);
    }
    if (recents.lastView() == Radio)
        facts << QStringLiteral("view radio");
    if (recents.playLastAtStart())
        facts << QStringLiteral("start on");
    return facts;
}

// "-" stands for an entry without URL.
QString url(const QString &token)
{
    return token == QLatin1String("-") ? QString() : QStringLiteral("http://127.0.0.1/") + token;
}

} // namespace

class tst_Favourites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void marksOutliveTheEntries_data();
    void marksOutliveTheEntries();
    void lookupAgreesWithPlainSet_data();
    void lookupAgreesWithPlainSet();
    void recents_data();
    void recents();
    void damagedFiles_data();
    void damagedFiles();
    void copiesAreNeverOverwritten();
    void folderInPlaceOfTheFile();
    void nothingKeptWithoutDataFolder();
};

void tst_Favourites::roundTrip_data()
{
    QTest::addColumn<DirectoryKind>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("plain") << Tv << QStringLiteral("CCTV-1") << QStringLiteral("http://127.0.0.1:8801/tv/1");
    QTest::newRow("Chinese") << Radio << QStringLiteral("中国之声") << QStringLiteral("http://例子.中国/台?名=中国之声");
    QTest::newRow("tabs, line ends, backslashes") << Tv << "a\tb\\n" << QStringLiteral("http://h/a\tb\nc\r\\d\\t\\");
    QTest::newRow("request headers") << Tv << "x" << QStringLiteral("http://h/x.m3u8|User-Agent=Mozilla/5.0&Referer=/");
    QTest::newRow("spaces kept") << Radio << " r " << QStringLiteral(" http://h/r ");
    QTest::newRow("1 MB URL") << Tv << "long" << QStringLiteral("http://h/") + QString(1 << 20, u'x');
}

void tst_Favourites::roundTrip()
{
    QFETCH(DirectoryKind, directory);
    QFETCH(QString, name);
    QFETCH(QString, url);
    const QString first = QStringLiteral("http://h/first");
    QTemporaryDir dir;
    {
        Favourites favourites(dir.path());
        favourites.setFavourite(directory, first, true);
        QVERIFY(favourites.toggle(directory, url));
        Recents(dir.path()).played({directory, name, url});
    }
    Favourites favourites(dir.path());
    QVERIFY(favourites.contains(directory, url));
    QVERIFY(!favourites.contains(directory == Tv ? Radio : Tv, url));
    QCOMPARE(favourites.urls(directory), QStringList({first, url}));
    QCOMPARE(Recents(dir.path()).entries(), QList<PlayedEntry>({{directory, name, url}}));

    QVERIFY(!favourites.toggle(directory, url));
    QCOMPARE(Favourites(dir.path()).urls(directory), QStringList(first));
}

// The TV favourites are b, d and f; the directory's entries change under them.
void tst_Favourites::marksOutliveTheEntries_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("favourites");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<QList<int>>("shownFavourites");
    using L = QList<int>;
    QTest::newRow("first list") << QStringList{"a", "b", "c", "d"} << L{1, 3} << L{3, 0, 1} << L{3, 1};
    QTest::newRow("shorter list") << QStringList{"a", "c"} << L{} << L{0, 1} << L{};
    QTest::newRow("import, b and f back") << QStringList{"f", "e", "b"} << L{0, 2} << L{2} << L{2};
    QTest::newRow("the same URL twice") << QStringList{"d", "x", "d", "-"} << L{0, 2} << L{3, 2, 1} << L{2};
    QTest::newRow("empty list") << QStringList{} << L{} << L{} << L{};
}

void tst_Favourites::marksOutliveTheEntries()
{
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, favourites);
    QFETCH(QList<int>, shown);
    QFETCH(QList<int>, shownFavourites);
    QTemporaryDir dir;
    {
        Favourites marking(dir.path());
        for (const char *token : {"b", "d", "f"})
            marking.setFavourite(Tv, url(QLatin1String(token)), true);
        marking.setFavourite(Radio, url(QStringLiteral("a")), true);
    }
    QStringList urls;
    for (const QString &token : entries)
        urls << url(token);
    const auto urlAt = [&](int i) { return QStringView(urls.at(i)); };
    for (int start = 0; start < 2; ++start) { // and again after a restart
        const Favourites kept(dir.path());
        QCOMPARE(kept.favouriteEntries(Tv, int(urls.size()), urlAt), favourites);
        QCOMPARE(kept.keepFavourites(Tv, shown, urlAt), shownFavourites);
        QCOMPARE(kept.count(Tv), 3);
    }
}

void tst_Favourites::lookupAgreesWithPlainSet_data()
{
    QTest::addColumn<int>("poolSize");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("removeOneIn");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<int>("reached");
    QTest::newRow("short URLs, many alike") << 300 << 3000 << 3 << QString() << 100;
    QTest::newRow("grows past 10,000") << 30000 << 16000 << 20 << QStringLiteral("http://127.0.0.1/live/") << 10000;
    QTest::newRow("long URLs, one character apart") << 40 << 200 << 3 << QString(100000, u'x') << 10;
}

// Random additions and removals; now and then the set answers as a plain set
// does for every URL of the pool, and keeps the order of additions.
void tst_Favourites::lookupAgreesWithPlainSet()
{
    QFETCH(int, poolSize);
    QFETCH(int, steps);
    QFETCH(int, removeOneIn);
    QFETCH(QString, pad);
    QFETCH(int, reached);
    QRandomGenerator rng(18);
    QStringList pool;
    for (int i = 0; i < poolSize; ++i)
        pool << QString(pad).insert(pad.size() / 2, QString::number(rng.bounded(poolSize * 4), 36));
    UrlSet set;
    QStringList order;
    for (int step = 1; step <= steps; ++step) {
        const QString &url = pool.at(rng.bounded(poolSize));
        const bool known = order.contains(url);
        if (rng.bounded(removeOneIn) != 0) {
            QCOMPARE(set.insert(url), !known);
            if (!known)
                order << url;
        } else {
            QCOMPARE(set.remove(url), known);
            order.removeOne(url);
        }
        if (step % (steps / 4) == 0) {
            const QSet<QString> plain(order.cbegin(), order.cend());
            for (const QString &probe : pool)
                QCOMPARE(set.contains(probe), plain.contains(probe));
            QCOMPARE(set.urls(), order);
        }
    }
    QVERIFY(set.size() >= reached);
}

// Steps: "tv:a" or "radio:a" plays a, "view:tv" shows a list, "on" and "off"
// set playing the last entry at start. Checked after a restart.
void tst_Favourites::recents_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("recents");
    QTest::addColumn<QString>("started");
    QStringList plays;
    QStringList newest;
    for (int i = 1; i <= 25; ++i) {
        plays << QStringLiteral("tv:%1").arg(i);
        newest.prepend(QString::number(i));
    }
    QTest::newRow("newest first") << "tv:a radio:b tv:c" << "c b a" << "";
    QTest::newRow("a repeat moves to the front") << "tv:a tv:b tv:c radio:a" << "a c b" << "";
    QTest::newRow("the newest again") << "tv:a tv:b tv:b" << "b a" << "";
    QTest::newRow("no URL, not recorded") << "tv:a tv:- tv:b" << "b a" << "";
    QTest::newRow("the newest twenty") << plays.join(u' ') << newest.mid(0, 20).join(u' ') << "";
    QTest::newRow("start: the last view's last entry") << "tv:a radio:r on" << "r a" << "radio:r";
    QTest::newRow("start: view changed after playing") << "tv:a tv:b radio:r view:tv on" << "r b a" << "tv:b";
    QTest::newRow("start: nothing played in that view") << "tv:a view:radio on" << "a" << "";
    QTest::newRow("start: switched off again") << "tv:a on off" << "a" << "";
}

void tst_Favourites::recents()
{
    QFETCH(QString, steps);
    QFETCH(QString, recents);
    QFETCH(QString, started);
    QTemporaryDir dir;
    {
        Recents playing(dir.path());
        for (const QString &step : steps.split(u' ')) {
            const QString what = step.section(u':', 1);
            if (step == QLatin1String("on") || step == QLatin1String("off"))
                playing.setPlayLastAtStart(step == QLatin1String("on"));
            else if (step.startsWith(QLatin1String("view:")))
                playing.setLastView(directoryFromWord(what).value());
            else
                playing.played({directoryFromWord(step.section(u':', 0, 0)).value(), what, url(what)});
        }
    }
    const Recents kept(dir.path());
    QStringList names;
    for (const PlayedEntry &e : kept.entries())
        names << e.name;
    QCOMPARE(names.join(u' '), recents);
    const auto entry = kept.startEntry();
    QCOMPARE(entry ? directoryWord(entry->directory) + u':' + entry->name : QString(), started);
}

void tst_Favourites::damagedFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("facts");
    QTest::addColumn<bool>("copyKept");
    const QString fav = QLatin1String(FavouritesFileName);
    const QString rec = QLatin1String(RecentsFileName);
    const QByteArray favHead = "chengyu-tv favourites 1\n";
    const QByteArray recHead = "chengyu-tv recents 1\n";
    const QStringList favA = {"fav tv http://a"};
    QByteArray many = favHead;
    QStringList manyFacts;
    for (int i = 0; i < 10000; ++i) {
        many += "tv\thttp://127.0.0.1/tv/" + QByteArray::number(i) + '\n';
        manyFacts << QStringLiteral("fav tv http://127.0.0.1/tv/%1").arg(i);
    }

    QTest::newRow("no file") << fav << QByteArray() << QStringList() << false;
    QTest::newRow("ten thousand") << fav << many << manyFacts << false;
    QTest::newRow("byte order mark, CR LF")
        << fav << QByteArray("\xEF\xBB\xBF" "chengyu-tv favourites 1\r\ntv\thttp://a\r\n") << favA << false;
    QTest::newRow("foreign text") << fav << QByteArray("my channels\nhttp://a\n") << QStringList() << true;
    QTest::newRow("recents in place of favourites") << fav << recHead + "played\ttv\ta\thttp://a\n" << QStringList()
                                                    << true;
    QTest::newRow("newer version")
        << fav << QByteArray("chengyu-tv favourites 2\ntv\thttp://a\n") << QStringList() << true;
    QTest::newRow("cut last line") << fav << favHead + "tv\thttp://a\ntv\thttp://b" << favA << true;
    QTest::newRow("invalid UTF-8") << fav << favHead + "tv\thttp://\xff\xfe\ntv\thttp://a\n" << favA << true;
    QTest::newRow("broken escape") << fav << favHead + "tv\thttp://b\\q\ntv\thttp://a\n" << favA << true;
    QTest::newRow("odd records")
        << fav << favHead + "film\thttp://x\ntv\thttp://y\tz\ntv\t\ntv\thttp://a\n" << favA << true;
    QTest::newRow("binary") << fav << QByteArray("\x00\x01\xff\n\x7f\x00\n\x89PNG", 11) << QStringList() << true;

    QTest::newRow("recents") << rec
                             << recHead + "play-last-at-start\ton\nview\tradio\nlast\tradio\t台\thttp://r\n"
                                          "played\tradio\t台\thttp://r\nplayed\ttv\t视\thttp://t\n"
                             << QStringList{"recent radio 台 http://r", "recent tv 视 http://t", "last radio http://r",
                                            "view radio", "start on"}
                             << false;
    QTest::newRow("odd setting") << rec << recHead + "play-last-at-start\tyes\nplayed\ttv\t视\thttp://t\n"
                                 << QStringList{"recent tv 视 http://t"} << true;
    QTest::newRow("played without a name") << rec << recHead + "played\ttv\thttp://x\nplayed\ttv\t视\thttp://t\n"
                                           << QStringList{"recent tv 视 http://t"} << true;
    QTest::newRow("html") << rec << QByteArray("<html><body>404</body></html>\n") << QStringList() << true;
}

// A start finds what the file holds that can be read; the first change keeps
// a copy of a file not read whole, then rewrites it with what was read.
void tst_Favourites::damagedFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, facts);
    QFETCH(bool, copyKept);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    if (!content.isNull())
        writeAll(path, content);
    QCOMPARE(keptFacts(dir.path()), facts);

    Favourites(dir.path()).setFavourite(Radio, QStringLiteral("http://new"), true);
    Recents(dir.path()).setLastView(Radio);
    Recents(dir.path()).setLastView(Tv);
    QCOMPARE(readAll(path + QStringLiteral(".bad")), copyKept ? content : QByteArray());
    QVERIFY(!QFile::exists(path + QStringLiteral(".bad2")));
    facts.removeOne(QStringLiteral("view radio"));
    facts << QStringLiteral("fav radio http://new");
    const QStringList after = keptFacts(dir.path());
    const QSet<QString> afterSet(after.cbegin(), after.cend());
    for (const QString &fact : std::as_const(facts))
        QVERIFY2(afterSet.contains(fact), qPrintable(fact));
}

void tst_Favourites::copiesAreNeverOverwritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(FavouritesFileName));
    for (int n = 1; n <= 10; ++n) {
        const QByteArray junk = "junk " + QByteArray::number(n);
        writeAll(path, junk);
        Favourites favourites(dir.path());
        favourites.setFavourite(Tv, QStringLiteral("http://a"), true);
        QVERIFY(favourites.contains(Tv, u"http://a"));
        const QString copy = path + QStringLiteral(".bad") + (n > 1 ? QString::number(n) : QString());
        // Nine copies at most: then the file stays as it is.
        QCOMPARE(readAll(copy), n <= 9 ? junk : QByteArray());
        QCOMPARE(readAll(path) == junk, n > 9);
    }
    QCOMPARE(readAll(path + QStringLiteral(".bad")), QByteArray("junk 1"));
}

void tst_Favourites::folderInPlaceOfTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(FavouritesFileName));
    QVERIFY(QDir().mkdir(path));
    Favourites favourites(dir.path());
    favourites.setFavourite(Tv, QStringLiteral("http://a"), true);
    QVERIFY(favourites.contains(Tv, u"http://a"));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void tst_Favourites::nothingKeptWithoutDataFolder()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Favourites favourites{QString()};
    Recents recents{QString()};
    favourites.setFavourite(Tv, QStringLiteral("http://a"), true);
    recents.played({Radio, QStringLiteral("台"), QStringLiteral("http://r")});
    recents.setPlayLastAtStart(true);
    QDir::setCurrent(before);
    QVERIFY(favourites.contains(Tv, u"http://a"));
    QCOMPARE(recents.startEntry()->url, QStringLiteral("http://r"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QVERIFY(!Favourites(QString()).contains(Tv, u"http://a"));
}

QTEST_GUILESS_MAIN(tst_Favourites)
#include "tst_favourites.moc"

#include "quickselect/filter.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QString line(int n, const QString &name, const QString &initials)
{
    return QStringLiteral("%1.").arg(n, 4, 10, QLatin1Char('0')) + name + QString(12, u' ') + initials;
}

// A small TV directory. Entry 5 has lost its URL (a downloaded list whose
// URL line was empty); entry 7 matches the same keys after it.
ChannelTables sampleTables()
{
    const QList<QPair<QString, QString>> entries = {
        {QStringLiteral("湖南卫视"), QStringLiteral("HNWS")},     {QStringLiteral("湖南经视"), QStringLiteral("HNJS")},
        {QStringLiteral("CCTV-1综合"), QStringLiteral("CCTV1ZH")}, {QStringLiteral("凤凰卫视中文台"), QStringLiteral("FHWSZWT")},
        {QStringLiteral("北京新闻"), QStringLiteral("BJXW")},     {QStringLiteral("东方卫视"), QStringLiteral("DFWS")},
        {QStringLiteral("广东 体育"), QStringLiteral("GDTY")},    {QStringLiteral("旅游卫视"), QStringLiteral("LYWS")},
        {QStringLiteral("cctv5+"), QStringLiteral("CCTV5")},      {QStringLiteral("江苏城市"), QStringLiteral("JSCS")},
        {QStringLiteral("浙江影视"), QStringLiteral("ZJYS")},     {QStringLiteral("天津文艺"), QStringLiteral("TJWY")},
        {QStringLiteral("中央1台"), QStringLiteral("ZY1T")},
    };
    ChannelTables t;
    for (int n = 0; n < entries.size(); ++n) {
        t.LineAll.append(line(n, entries[n].first, entries[n].second));
        t.UrlAll.append(n == 5 ? QString() : QStringLiteral("http://127.0.0.1/tv/%1").arg(n));
    }
    t.Url = t.UrlAll;
    t.Line = t.LineAll;
    return t;
}

// Row r of a result must be master entry indexes[r], line and URL alike.
void verifyEntries(const FilterResult &result, const ChannelTables &tables, const QList<int> &indexes)
{
    QCOMPARE(result.Line.size(), indexes.size());
    QCOMPARE(result.Url.size(), indexes.size());
    for (int r = 0; r < indexes.size(); ++r) {
        QCOMPARE(result.Line.at(r), tables.LineAll.at(indexes[r]));
        QCOMPARE(result.Url.at(r), tables.UrlAll.value(indexes[r]));
    }
}

QList<int> allIndexes(int count)
{
    QList<int> all;
    for (int i = 0; i < count; ++i)
        all.append(i);
    return all;
}

// A directory of many entries built from a few characters, so that keys
// share pieces and narrowing has work to do.
ChannelTables generatedTables(int count, quint32 seed)
{
    QRandomGenerator rng(seed);
    const QString alphabet = QStringLiteral("湖南卫视中央台ABCHNWS 0123.");
    ChannelTables t;
    for (int n = 0; n < count; ++n) {
        QString name;
        const int length = 1 + rng.bounded(6);
        for (int k = 0; k < length; ++k)
            name.append(alphabet.at(rng.bounded(alphabet.size())));
        t.LineAll.append(line(n, name, name.left(3).toUpper()));
        t.UrlAll.append(rng.bounded(20) == 0 ? QString() : QStringLiteral("u%1").arg(n));
    }
    return t;
}

QString randomKey(QRandomGenerator &rng, const ChannelTables &t)
{
    if (rng.bounded(8) == 0)
        return QStringLiteral("ZZ");
    const QString &source = t.LineAll.at(rng.bounded(t.LineAll.size()));
    const int start = rng.bounded(source.size());
    return source.mid(start, 1 + rng.bounded(4));
}

} // namespace

class tst_Filter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void key_data();
    void key();
    void filter_data();
    void filter();
    void restoreSharesMasterTables();
    void unevenTablesStayInStep();
    void fastFilter_data();
    void fastFilter();
    void fastFilterEqualsRescanWhileTyping();
    void fastFilterFollowsChangedMasterTables();
    void keyWithLineBreak();
};

void tst_Filter::key_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only spaces") << QStringLiteral("   ") << QString();
    QTest::newRow("lower-case initials") << QStringLiteral("hnws") << QStringLiteral("HNWS");
    QTest::newRow("outer spaces") << QStringLiteral("  hn  ") << QStringLiteral("HN");
    QTest::newRow("inner spaces stay") << QStringLiteral(" 广东 体育 ") << QStringLiteral("广东 体育");
    QTest::newRow("tab is no space") << QStringLiteral("\thn\t") << QStringLiteral("\tHN\t");
    QTest::newRow("ideographic space is no space") << QStringLiteral("\u3000hn") << QStringLiteral("\u3000HN");
    QTest::newRow("non-breaking space is no space") << QStringLiteral("hn\u00a0") << QStringLiteral("HN\u00a0");
    QTest::newRow("digits and Chinese") << QStringLiteral("0012湖南") << QStringLiteral("0012湖南");
    QTest::newRow("one character stays one") << QStringLiteral("straße ﬁ") << QStringLiteral("STRAßE ﬁ");
}

void tst_Filter::key()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(filterKey(text), key);
}

void tst_Filter::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("indexes");
    QTest::newRow("one match") << QStringLiteral("HNWS") << QList<int>{0};
    QTest::newRow("lower-case initials") << QStringLiteral("hnws") << QList<int>{0};
    QTest::newRow("several, past an entry without URL") << QStringLiteral("WS") << QList<int>{0, 3, 5, 7};
    QTest::newRow("name piece") << QStringLiteral("湖南") << QList<int>{0, 1};
    QTest::newRow("no match") << QStringLiteral("XYZ") << QList<int>{};
    QTest::newRow("entry number") << QStringLiteral("0012") << QList<int>{12};
    QTest::newRow("number and full stop") << QStringLiteral("0003.") << QList<int>{3};
    QTest::newRow("outer spaces") << QStringLiteral("  hnws ") << QList<int>{0};
    QTest::newRow("inner space where the line has it") << QStringLiteral("广东 体育") << QList<int>{6};
    QTest::newRow("inner space where the line has none") << QStringLiteral("HN WS") << QList<int>{};
    QTest::newRow("trailing spaces go before the gap is searched") << QStringLiteral("视  ") << QList<int>{0, 1, 3, 5, 7, 10};
    QTest::newRow("one space is not the gap") << QStringLiteral("视 H") << QList<int>{};
    QTest::newRow("twelve-space gap") << (QStringLiteral("视") + QString(12, u' ') + QStringLiteral("h"))
                                      << QList<int>{0, 1};
    QTest::newRow("lower-case Latin name matches only the initials") << QStringLiteral("cctv5+") << QList<int>{};
    QTest::newRow("upper-case Latin name") << QStringLiteral("cctv-1") << QList<int>{2};
    QTest::newRow("initials of a lower-case name") << QStringLiteral("cctv") << QList<int>{2, 8};
    QTest::newRow("full stop is in every line") << QStringLiteral(".") << allIndexes(13);
    QTest::newRow("empty restores") << QString() << allIndexes(13);
    QTest::newRow("spaces restore") << QStringLiteral("    ") << allIndexes(13);
    QTest::newRow("tab filters") << QStringLiteral("\t") << QList<int>{};
}

void tst_Filter::filter()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, indexes);
    const ChannelTables tables = sampleTables();
    verifyEntries(filterEntries(tables, text), tables, indexes);
    ChannelFilter fast;
    verifyEntries(fast.apply(tables, text), tables, indexes);
}

void tst_Filter::restoreSharesMasterTables()
{
    const ChannelTables tables = sampleTables();
    ChannelFilter fast;
    const FilterResult all = fast.apply(tables, QStringLiteral(" "));
    QCOMPARE(all.Line, tables.LineAll);
    QCOMPARE(all.Url, tables.UrlAll);
    // The master tables themselves are never changed by filtering.
    const FilterResult some = fast.apply(tables, QStringLiteral("WS"));
    QCOMPARE(some.count(), 4);
    QCOMPARE(tables.LineAll, sampleTables().LineAll);
    QCOMPARE(tables.UrlAll, sampleTables().UrlAll);
}

void tst_Filter::unevenTablesStayInStep()
{
    ChannelTables tables = sampleTables();
    tables.UrlAll.resize(4);
    for (const QString &text : {QString(), QStringLiteral("WS"), QStringLiteral(".")}) {
        for (const FilterResult &result : {filterEntries(tables, text), ChannelFilter().apply(tables, text)}) {
            QCOMPARE(result.Url.size(), result.Line.size());
            QVERIFY(result.Url.last().isEmpty());
        }
    }
}

void tst_Filter::fastFilter_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("empty directory") << 0 << 1u;
    QTest::newRow("one entry") << 1 << 2u;
    QTest::newRow("4401 entries") << 4401 << 3u;
    QTest::newRow("20000 entries") << 20000 << 4u;
}

// Random keys, one after another through the same filter, so that every way
// of reusing an earlier key's matches is taken.
void tst_Filter::fastFilter()
{
    QFETCH(int, count);
    QFETCH(quint32, seed);
    const ChannelTables tables = generatedTables(count, seed);
    QRandomGenerator rng(seed);
    ChannelFilter fast;
    for (int round = 0; round < 300; ++round) {
        const QString key = count ? randomKey(rng, tables) : QStringLiteral("A");
        const FilterResult expected = filterEntries(tables, key);
        const FilterResult got = fast.apply(tables, key);
        QCOMPARE(got.Line, expected.Line);
        QCOMPARE(got.Url, expected.Url);
    }
}

// Typing a key letter by letter, erasing it again and typing another one.
void tst_Filter::fastFilterEqualsRescanWhileTyping()
{
    const ChannelTables tables = generatedTables(4401, 7);
    ChannelFilter fast;
    const QStringList words = {QStringLiteral("hnws"), QStringLiteral("湖南卫视"), QStringLiteral("0123"),
                               QStringLiteral(" a b"), QStringLiteral("00"), QStringLiteral("hn")};
    for (const QString &word : words) {
        QString typed;
        QStringList steps;
        for (const QChar c : word)
            steps.append(typed += c);
        while (!typed.isEmpty()) {
            typed.chop(1);
            steps.append(typed);
        }
        for (const QString &text : steps) {
            const FilterResult expected = filterEntries(tables, text);
            const FilterResult got = fast.apply(tables, text);
            QVERIFY2(got.Line == expected.Line, qPrintable(text));
            QVERIFY2(got.Url == expected.Url, qPrintable(text));
        }
    }
}

void tst_Filter::fastFilterFollowsChangedMasterTables()
{
    ChannelTables tables = sampleTables();
    ChannelFilter fast;
    QCOMPARE(fast.apply(tables, QStringLiteral("HN")).count(), 2);

    // An entry changed in place.
    tables.LineAll[4] = line(4, QStringLiteral("湖南都市"), QStringLiteral("HNDS"));
    tables.UrlAll[4] = QStringLiteral("http://127.0.0.1/tv/new");
    FilterResult result = fast.apply(tables, QStringLiteral("HN"));
    verifyEntries(result, tables, {0, 1, 4});
    verifyEntries(fast.apply(tables, QStringLiteral("HND")), tables, {4});

    // A downloaded directory of the same size with other entries.
    const ChannelTables other = generatedTables(tables.LineAll.size(), 11);
    tables.LineAll = other.LineAll;
    tables.UrlAll = other.UrlAll;
    for (const QString &text : {QStringLiteral("HN"), QStringLiteral("HND"), QStringLiteral("A")})
        QCOMPARE(fast.apply(tables, text).Line, filterEntries(tables, text).Line);

    // A shorter one.
    tables.LineAll = tables.LineAll.mid(0, 3);
    tables.UrlAll = tables.UrlAll.mid(0, 3);
    QCOMPARE(fast.apply(tables, QStringLiteral(".")).count(), 3);
}

void tst_Filter::keyWithLineBreak()
{
    ChannelTables tables = sampleTables();
    tables.LineAll[2] = QStringLiteral("A\nB");
    ChannelFilter fast;
    for (const QString &text : {QStringLiteral("a\nb"), QStringLiteral("\n"), QStringLiteral("A")})
        QCOMPARE(fast.apply(tables, text).Line, filterEntries(tables, text).Line);
    QCOMPARE(fast.apply(tables, QStringLiteral("A\nB")).Line, QStringList{QStringLiteral("A\nB")});
}

QTEST_GUILESS_MAIN(tst_Filter)
#include "tst_filter.moc"

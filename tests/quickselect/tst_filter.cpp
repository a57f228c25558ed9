#include "quickselect/filter.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QString line(int n, const QString &name, const QString &initials)
{
    return QStringLiteral("%1.").arg(n, 4, 10, QLatin1Char('0')) + name + QString(12, u' ') + initials;
}

LineTable tableOf(const QStringList &lines)
{
    LineTable table;
    for (const QString &l : lines)
        table.append({l});
    return table;
}

// The entry lines of a small TV directory.
QStringList sampleLines()
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
    QStringList lines;
    for (int n = 0; n < entries.size(); ++n)
        lines.append(line(n, entries[n].first, entries[n].second));
    return lines;
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
QStringList generatedLines(int count, quint32 seed)
{
    QRandomGenerator rng(seed);
    const QString alphabet = QStringLiteral("湖南卫视中央台ABCHNWS 0123.");
    QStringList lines;
    for (int n = 0; n < count; ++n) {
        QString name;
        const int length = 1 + rng.bounded(6);
        for (int k = 0; k < length; ++k)
            name.append(alphabet.at(rng.bounded(alphabet.size())));
        lines.append(line(n, name, name.left(3).toUpper()));
    }
    return lines;
}

QString randomKey(QRandomGenerator &rng, const QStringList &lines)
{
    if (rng.bounded(8) == 0)
        return QStringLiteral("ZZ");
    const QString &source = lines.at(rng.bounded(lines.size()));
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
    void lineTable();
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
    const LineTable lines = tableOf(sampleLines());
    QCOMPARE(filterEntries(lines, text), indexes);
    ChannelFilter fast;
    QCOMPARE(fast.apply(lines, text), indexes);
}

// The texts come back as they went in; a copy holds the same texts under the
// same serial, a change gives a new one.
void tst_Filter::lineTable()
{
    const QStringList texts = {QStringLiteral("0000.湖南卫视"), QString(), QStringLiteral("a\rb"), QStringLiteral("x")};
    LineTable table = tableOf(texts);
    QCOMPARE(table.count(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(table.at(i).toString(), texts.at(i));
    QCOMPARE(table.text(), texts.join(u'\n') + u'\n');
    const LineTable copy = table;
    QCOMPARE(copy.serial(), table.serial());
    table.append({u"y", u"z"});
    QCOMPARE(table.at(4), u"yz");
    QVERIFY(table.serial() != copy.serial());
    QCOMPARE(LineTable().count(), 0);
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
    const QStringList source = generatedLines(count, seed);
    const LineTable lines = tableOf(source);
    QRandomGenerator rng(seed);
    ChannelFilter fast;
    for (int round = 0; round < 300; ++round) {
        const QString key = count ? randomKey(rng, source) : QStringLiteral("A");
        QCOMPARE(fast.apply(lines, key), filterEntries(lines, key));
    }
}

// Typing a key letter by letter, erasing it again and typing another one.
void tst_Filter::fastFilterEqualsRescanWhileTyping()
{
    const LineTable lines = tableOf(generatedLines(4401, 7));
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
        for (const QString &text : steps)
            QVERIFY2(fast.apply(lines, text) == filterEntries(lines, text), qPrintable(text));
    }
}

void tst_Filter::fastFilterFollowsChangedMasterTables()
{
    QStringList source = sampleLines();
    ChannelFilter fast;
    QCOMPARE(fast.apply(tableOf(source), QStringLiteral("HN")), (QList<int>{0, 1}));

    // A directory with one entry changed.
    source[4] = line(4, QStringLiteral("湖南都市"), QStringLiteral("HNDS"));
    const LineTable changed = tableOf(source);
    QCOMPARE(fast.apply(changed, QStringLiteral("HN")), (QList<int>{0, 1, 4}));
    QCOMPARE(fast.apply(changed, QStringLiteral("HND")), QList<int>{4});

    // A directory of the same size with other entries, and a shorter one.
    const LineTable other = tableOf(generatedLines(source.size(), 11));
    for (const QString &text : {QStringLiteral("HN"), QStringLiteral("HND"), QStringLiteral("A")})
        QCOMPARE(fast.apply(other, text), filterEntries(other, text));
    QCOMPARE(fast.apply(tableOf(source.mid(0, 3)), QStringLiteral(".")), allIndexes(3));
}

// Entry lines never hold a line feed, so a key with one matches nothing, and
// the joined text never lets a key match across two lines.
void tst_Filter::keyWithLineBreak()
{
    const LineTable lines = tableOf(sampleLines());
    ChannelFilter fast;
    for (const QString &text : {QStringLiteral("hnws\n0001"), QStringLiteral("\n"), QStringLiteral("HNWS\n")})
        QCOMPARE(fast.apply(lines, text), QList<int>{});
    QCOMPARE(fast.apply(lines, QStringLiteral("S0001")), QList<int>{});
}

QTEST_GUILESS_MAIN(tst_Filter)
#include "tst_filter.moc"

#include "guidefixtures.h"

#include "guide/guidefile.h"
#include "guide/xmltvparser.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>

namespace {

// 湖南卫视 by its name, CCTV-1 综合 by its tvg-id.
const QList<GuideEntryKey> kEntries = {{{}, {}, QStringLiteral("湖南卫视"), 0},
                                       {QStringLiteral("cctv1.cn"), {}, QStringLiteral("CCTV-1 综合"), 0}};

const QString kHunan = QStringLiteral("<channel id=\"hn\"><display-name>湖南卫视</display-name></channel>");
const QString kCctv = QStringLiteral("<channel id=\"cctv1.cn\"><display-name>CCTV1</display-name></channel>");
const QString kOther = QStringLiteral("<channel id=\"other\"><display-name>东方卫视</display-name></channel>");

QString programme(const char *channel, double from, double to, const QString &title)
{
    return QStringLiteral("<programme start=\"{%1}\" stop=\"{%2}\" channel=\"%3\"><title>%4</title></programme>")
        .arg(from)
        .arg(to)
        .arg(QLatin1String(channel), title);
}

// The document fed in pieces of `piece` bytes (0: whole); the summary, or "error: …".
QString parsed(const QByteArray &document, qsizetype piece, const GuideLimits &limits = {})
{
    XmltvParser parser(GuideWanted::from(kEntries), kGuideNow, limits);
    const qsizetype step = piece > 0 ? piece : qMax<qsizetype>(1, document.size());
    for (qsizetype at = 0; at < document.size(); at += step)
        parser.feed(document.constData() + at, qMin(step, document.size() - at));
    if (!parser.finish())
        return QStringLiteral("error: ") + parser.error();
    return guideSummary(parser.takeChannels());
}

QString read(const QByteArray &bytes, const GuideLimits &limits = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const GuideReadResult result = readGuide(buffer, kEntries, kGuideNow, QStringLiteral("test"), limits);
    return result.guide ? guideSummary(result.guide->channels()) : QStringLiteral("error: ") + result.error;
}

const qsizetype kPieces[] = {0, 1, 2, 3, 7, 64};

const QString kPassedOver = kOther + kHunan
    + QStringLiteral("<programme start=\"{0}\" stop=\"{1}\" channel=\"other\"><title>X</title>"
                     "<desc><![CDATA[</programme><programme channel=\"hn\">]]></desc><!-- </programme> --></programme>")
    + programme("hn", 0, 1, QStringLiteral("A"));

} // namespace

class TestXmltvParser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goodGuides_data();
    void goodGuides();
    void badGuides_data();
    void badGuides();
    void everyCutFails();
    void gzip_data();
    void gzip();
};

void TestXmltvParser::goodGuides_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const QString &body, const char *expected) {
        QTest::newRow(name) << xmltvDocument(body) << QString::fromUtf8(expected);
    };
    row("湖南卫视 by name, CCTV-1 by tvg-id, sorted", kHunan + kCctv + programme("hn", 1, 2, QStringLiteral("B"))
        + programme("hn", 0, 1, QStringLiteral("A")) + programme("cctv1.cn", 0, 0.5, QStringLiteral("新闻联播")),
        "hn: 0-1 A, 1-2 B | cctv1.cn: 0-0.5 新闻联播");
    row("湖南卫视 HD found after normalising",
        QStringLiteral("<channel id=\"hn\"><display-name>湖南卫视 HD</display-name></channel>")
            + programme("hn", 0, 1, QStringLiteral("A")),
        "hn: 0-1 A");
    row("other channels passed over", kOther + kHunan + programme("other", 0, 1, QStringLiteral("X"))
        + programme("hn", 0, 1, QStringLiteral("A")) + programme("other", 1, 2, QStringLiteral("Y")),
        "hn: 0-1 A");
    row("CDATA and comments inside a passed-over programme", kPassedOver, "hn: 0-1 A");
    row("self-closing programme of another channel",
        kOther + kHunan + QStringLiteral("<programme start=\"{0}\" stop=\"{1}\" channel=\"other\"/>")
            + programme("hn", 0, 1, QStringLiteral("A")),
        "hn: 0-1 A");
    row("single quotes, blanks and > in values",
        kOther + kHunan
            + QStringLiteral("<programme note='a>b' channel = 'other' start='{0}' stop='{1}'><title>X</title></programme>"
                             "<programme  channel = \"hn\" start='{0}' stop='{1}'><title>A</title></programme>"),
        "hn: 0-1 A");
    row("character reference in the channel attribute", kCctv
        + QStringLiteral("<programme start=\"{0}\" stop=\"{1}\" channel=\"cctv1&#46;cn\"><title>C</title></programme>"),
        "cctv1.cn: 0-1 C");
    row("stop before start dropped", kHunan + programme("hn", 1, 0.5, QStringLiteral("X"))
        + programme("hn", 0, 1, QStringLiteral("A")), "hn: 0-1 A");
    row("zero length dropped", kHunan + programme("hn", 1, 1, QStringLiteral("X"))
        + programme("hn", 0, 1, QStringLiteral("A")), "hn: 0-1 A");
    row("overlap: the earlier ends when the later starts", kHunan + programme("hn", 0, 2, QStringLiteral("A"))
        + programme("hn", 1, 3, QStringLiteral("B")), "hn: 0-1 A, 1-3 B");
    row("same start: the first stays", kHunan + programme("hn", 0, 1, QStringLiteral("A"))
        + programme("hn", 0, 2, QStringLiteral("B")), "hn: 0-1 A");
    row("no stop: ends when the next starts, the last is dropped",
        kHunan + QStringLiteral("<programme start=\"{0}\" channel=\"hn\"><title>A</title></programme>"
                                "<programme start=\"{1}\" channel=\"hn\"><title>B</title></programme>"),
        "hn: 0-1 A");
    row("offset +2500 drops the programme",
        kHunan + programme("hn", 0, 1, QStringLiteral("A"))
            + QStringLiteral("<programme start=\"20240310130000 +2500\" stop=\"{2}\" channel=\"hn\"><title>X</title>"
                             "</programme>"),
        "hn: 0-1 A");
    row("no title dropped", kHunan + programme("hn", 0, 1, QString()) + programme("hn", 1, 2, QStringLiteral("B")),
        "hn: 1-2 B");
    row("the Chinese title wins, escapes and nested markup read",
        kHunan + QStringLiteral("<programme start=\"{0}\" stop=\"{1}\" channel=\"hn\"><title lang=\"en\">News</title>"
                                "<title lang=\"zh-CN\">新闻 &amp; <b>天气</b></title></programme>"),
        "hn: 0-1 新闻 & 天气");
    row("six hours back to seven days ahead", kHunan + programme("hn", -8, -6, QStringLiteral("Old"))
        + programme("hn", -7, -5, QStringLiteral("Running")) + programme("hn", 167, 169, QStringLiteral("Last"))
        + programme("hn", 168, 169, QStringLiteral("Late")), "hn: -7--5 Running, 167-169 Last");
    row("programmes before their channel: only the tvg-id finds them",
        programme("hn", 0, 1, QStringLiteral("X")) + programme("cctv1.cn", 0, 1, QStringLiteral("C")) + kHunan
            + programme("hn", 1, 2, QStringLiteral("A")),
        "cctv1.cn: 0-1 C | hn: 1-2 A");
    QByteArray trailing = xmltvDocument(kHunan + programme("hn", 0, 1, QStringLiteral("A")));
    QTest::newRow("anything after the closing tag ignored")
        << trailing + QByteArray("<junk\x01\0\xb9", 8) << QStringLiteral("hn: 0-1 A");
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + trailing << QStringLiteral("hn: 0-1 A");
    QString gbText = QString::fromUtf8(xmltvDocument(kHunan + programme("hn", 0, 1, QStringLiteral("新闻联播"))));
    gbText.replace(QStringLiteral("UTF-8"), QStringLiteral("GB2312"));
    QTest::newRow("GB2312 guide") << QByteArray(QStringEncoder("GB2312").encode(gbText)) << QStringLiteral("hn: 0-1 新闻联播");
}

// Whatever the pieces the bytes arrive in, the same guide.
void TestXmltvParser::goodGuides()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, expected);
    for (qsizetype piece : kPieces)
        QCOMPARE(parsed(document, piece), expected);
}

void TestXmltvParser::badGuides_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("error");

    const QString good = kHunan + programme("hn", 0, 1, QStringLiteral("A"));
    QTest::newRow("mismatched tag in a programme of ours")
        << xmltvDocument(good + QStringLiteral("<programme start=\"{1}\" stop=\"{2}\" channel=\"hn\"><title>B</titel>"
                                               "</programme>"))
        << "mismatch";
    QTest::newRow("mismatched tag in a channel")
        << xmltvDocument(QStringLiteral("<channel id=\"x\"><display-name>X</channel>") + good) << "mismatch";
    QTest::newRow("unknown entity") << xmltvDocument(good + programme("hn", 1, 2, QStringLiteral("&nbsp;")))
                                    << "entity";
    QTest::newRow("no closing tag") << xmltvDocument(good).replace("</tv>", "") << "ends early";
    QTest::newRow("not a guide") << QByteArray("<html><body>404</body></html>") << "not an XMLTV guide";
    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("blanks only") << QByteArray("  \n ") << "empty";
    QTest::newRow("binary junk") << QByteArray("\x89PNG\r\n\x1a\n<<>>\x01\x02", 14) << "line 1";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE<\0t\0v\0>\0", 10) << "UTF-16";
    QTest::newRow("none of our channels")
        << xmltvDocument(kOther + programme("other", 0, 1, QStringLiteral("X"))) << "no programmes";
    QTest::newRow("nothing in the coming days")
        << xmltvDocument(kHunan + programme("hn", -30, -20, QStringLiteral("Old"))) << "no programmes";
}

void TestXmltvParser::badGuides()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, error);
    for (qsizetype piece : kPieces) {
        const QString outcome = parsed(document, piece);
        QVERIFY2(outcome.startsWith(QStringLiteral("error: ")) && outcome.contains(error, Qt::CaseInsensitive),
                 qPrintable(outcome));
    }
}

// A guide cut anywhere before its closing tag is no guide at all.
void TestXmltvParser::everyCutFails()
{
    const QByteArray document = xmltvDocument(kPassedOver + programme("hn", 1, 2, QStringLiteral("B")));
    const qsizetype end = document.indexOf("</tv>") + 5;
    QCOMPARE(parsed(document.left(end), 0), QStringLiteral("hn: 0-1 A, 1-2 B"));
    for (qsizetype cut = 0; cut < end; ++cut)
        QVERIFY2(parsed(document.left(cut), 0).startsWith(QStringLiteral("error: ")), qPrintable(QString::number(cut)));
}

void TestXmltvParser::gzip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("maxXmlBytes");
    QTest::addColumn<QString>("expected"); // a summary, or the start of an error

    const GuideLimits defaults;
    const QByteArray document = xmltvDocument(kHunan + kCctv + programme("hn", 0, 1, QStringLiteral("A"))
                                              + programme("cctv1.cn", 0, 1, QStringLiteral("C")));
    const QByteArray packed = gzipped(document);
    const QString summary = QStringLiteral("hn: 0-1 A | cctv1.cn: 0-1 C");
    QTest::newRow("plain") << document << defaults.maxXmlBytes << summary;
    QTest::newRow("gzip") << packed << defaults.maxXmlBytes << summary;
    QTest::newRow("two gzip members") << gzipped(document.left(100)) + gzipped(document.mid(100))
                                      << defaults.maxXmlBytes << summary;
    QTest::newRow("junk after the gzip member ignored") << packed + "junk" << defaults.maxXmlBytes << summary;
    QTest::newRow("cut in the middle") << packed.left(packed.size() / 2) << defaults.maxXmlBytes
                                       << "error: the gzip file is cut off";
    QTest::newRow("cut before the checksum") << packed.chopped(1) << defaults.maxXmlBytes
                                             << "error: the gzip file is cut off";
    QByteArray corrupt = packed;
    for (qsizetype i = 12; i < 30; ++i)
        corrupt[i] = char(~corrupt[i]);
    QTest::newRow("corrupt") << corrupt << defaults.maxXmlBytes << "error: the gzip data is corrupt";
    const QByteArray blanks(64 * 1024 * 1024, ' ');
    QTest::newRow("bomb of blanks stops at the longest text")
        << gzipped("<tv>" + blanks + "</tv>") << defaults.maxXmlBytes << "error: a text, tag or comment is longer";
    QByteArray elements = "<tv>";
    while (elements.size() < 4 * 1024 * 1024)
        elements += "<x/>";
    QTest::newRow("bomb of elements stops at the size cap")
        << gzipped(elements + "</tv>") << qint64(1024 * 1024) << "error: the guide inflates to more than 1048576";
    QTest::newRow("plain guide over the size cap")
        << elements + "</tv>" << qint64(1024 * 1024) << "error: the guide is larger than 1048576";
    QTest::newRow("a channel kept only as a candidate is dropped")
        << xmltvDocument(kHunan + kCctv + QStringLiteral("<channel id=\"c1\"><display-name>CCTV1</display-name></channel>")
                         + programme("cctv1.cn", 0, 1, QStringLiteral("C")) + programme("c1", 0, 1, QStringLiteral("D")))
        << defaults.maxXmlBytes << "cctv1.cn: 0-1 C";
}

void TestXmltvParser::gzip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, maxXmlBytes);
    QFETCH(QString, expected);
    GuideLimits limits;
    limits.maxXmlBytes = maxXmlBytes;
    const QString outcome = read(bytes, limits);
    if (expected.startsWith(QStringLiteral("error: ")))
        QVERIFY2(outcome.startsWith(expected), qPrintable(outcome));
    else
        QCOMPARE(outcome, expected);
}

QTEST_GUILESS_MAIN(TestXmltvParser)
#include "tst_xmltvparser.moc"

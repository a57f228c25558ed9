#include "guide/guidetime.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {
// 2024-03-10 12:00:00 UTC
constexpr qint64 kNoonUtc = 1710072000;
const std::optional<qint64> kRejected;
} // namespace

class TestGuideTime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void times_data();
    void times();
    void shifts_data();
    void shifts();
};

void TestGuideTime::times_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint64>>("utc");

    QTest::newRow("Beijing time") << "20240310200000 +0800" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("no offset is UTC") << "20240310120000" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("zero offset") << "20240310120000 +0000" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("west of UTC") << "20240310070000 -0500" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("half hour offset") << "20240310173000 +0530" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("Nepal +0545") << "20240310174500 +0545" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("offset without a blank") << "20240310200000+0800" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("offset with a colon") << "20240310200000 +08:00" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("blanks around") << "  20240310120000 +0000 " << std::optional<qint64>(kNoonUtc);
    QTest::newRow("the largest offset, +1400") << "20240311020000 +1400" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("offset beyond +1400") << "20240311033000 +1530" << kRejected;
    QTest::newRow("minutes only") << "202403101200" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("hour only") << "2024031012 +0000" << std::optional<qint64>(kNoonUtc);
    QTest::newRow("date only") << "20240310" << std::optional<qint64>(kNoonUtc - 12 * 3600);
    QTest::newRow("29 February of a leap year") << "20240229000000" << std::optional<qint64>(1709164800);
    QTest::newRow("new year across the offset") << "20250101000000 +0800" << std::optional<qint64>(1735660800);

    QTest::newRow("offset +2500") << "20240310200000 +2500" << kRejected;
    QTest::newRow("offset -1500") << "20240310200000 -1500" << kRejected;
    QTest::newRow("offset minutes 60") << "20240310200000 +0860" << kRejected;
    QTest::newRow("offset of three digits") << "20240310200000 +800" << kRejected;
    QTest::newRow("offset without a sign") << "20240310200000 0800" << kRejected;
    QTest::newRow("zone name") << "20240310200000 CST" << kRejected;
    QTest::newRow("29 February of another year") << "20230229000000" << kRejected;
    QTest::newRow("month 13") << "20241310120000" << kRejected;
    QTest::newRow("hour 24") << "20240310240000" << kRejected;
    QTest::newRow("second 60") << "20240310235960" << kRejected;
    QTest::newRow("13 digits") << "2024031012000" << kRejected;
    QTest::newRow("before 1970") << "19691231235959" << kRejected;
    QTest::newRow("trailing text") << "20240310120000 +0000 x" << kRejected;
    QTest::newRow("full-width digits") << "２０２４０３１０１２００００" << kRejected;
    QTest::newRow("empty") << "" << kRejected;
}

void TestGuideTime::times()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint64>, utc);
    QCOMPARE(parseXmltvTime(text), utc);
}

void TestGuideTime::shifts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint64>>("seconds");

    QTest::newRow("whole hours") << "8" << std::optional<qint64>(8 * 3600);
    QTest::newRow("plus sign") << "+8" << std::optional<qint64>(8 * 3600);
    QTest::newRow("negative") << "-2" << std::optional<qint64>(-2 * 3600);
    QTest::newRow("fractional") << "1.5" << std::optional<qint64>(5400);
    QTest::newRow("negative fractional") << "-0.5" << std::optional<qint64>(-1800);
    QTest::newRow("blanks") << " 3 " << std::optional<qint64>(3 * 3600);
    QTest::newRow("24 hours") << "24" << std::optional<qint64>(24 * 3600);
    QTest::newRow("more than a day") << "25" << kRejected;
    QTest::newRow("exponent") << "1e1" << kRejected;
    QTest::newRow("comma") << "1,5" << kRejected;
    QTest::newRow("minus inside") << "1-2" << kRejected;
    QTest::newRow("text") << "abc" << kRejected;
    QTest::newRow("empty") << "" << kRejected;
}

void TestGuideTime::shifts()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint64>, seconds);
    QCOMPARE(parseTvgShift(text), seconds);
}

QTEST_GUILESS_MAIN(TestGuideTime)
#include "tst_guidetime.moc"

#include "account/scramblecodec.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <vector>

using namespace scramble;

namespace {

const QString kExcluded = QStringLiteral(" \"&':;");

// A source that hands out the given numbers in order, then zeros.
RandomSource sequence(std::vector<double> values)
{
    auto state = std::make_shared<std::pair<std::vector<double>, size_t>>(std::move(values), 0);
    return [state] { return state->second < state->first.size() ? state->first[state->second++] : 0.0; };
}

// A source whose ninth draw (the table number) gives k and whose noise is 0.
RandomSource choosingTable(int k)
{
    std::vector<double> values(8, 0.0);
    values.push_back(double(k) / DrawnTableLimit);
    return sequence(values);
}

QString substituted(const QString &text, int k)
{
    QString out;
    for (QChar c : text) {
        const int p = table(0).indexOf(QLatin1Char(c.toLatin1()));
        out.append(c.unicode() < 128 && p >= 0 ? QChar(table(k)[p]) : c);
    }
    return out;
}

// Strings mixing the alphabet, the excluded characters, Chinese, control
// characters and a character outside the Basic Multilingual Plane.
QString generatedText(QRandomGenerator &rng)
{
    static const QString pool = table(0) + kExcluded + QStringLiteral("澄屿高清网络电视张三密码\t\r\n\x01\x7f\u00e9\u3000")
                                + QString::fromUtf8("😀");
    QString text;
    const int length = rng.bounded(0, 40);
    for (int i = 0; i < length; ++i)
        text.append(pool.at(rng.bounded(int(pool.size()))));
    return text;
}

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

class tst_ScrambleCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableZeroIsTheAlphabet();
    void tablesAreDistinctPermutations();
    void tableOutsideRangeIsEmpty();

    void roundTrip_data();
    void roundTrip();
    void roundTripGenerated();
    void roundTripThroughEveryTable();

    void layout();
    void emptyTextGivesTenDigits();
    void drawsComeInLayoutOrder();
    void drawsRoundHalfToEven_data();
    void drawsRoundHalfToEven();
    void highestDraws();
    void faultySourceKeepsLayout();
    void bodyGoesThroughChosenTable();
    void tableZeroKeepsBody();
    void outsideCharactersKeepValueAndPlace();
    void programRandomIsUniform();

    void roundHalfEven_data();
    void roundHalfEven();
    void readNumber_data();
    void readNumber();
    void unscrambleMalformed_data();
    void unscrambleMalformed();
};

void tst_ScrambleCodec::tableZeroIsTheAlphabet()
{
    QString expected;
    for (char16_t c = 0x20; c < 0x7f; ++c)
        if (!kExcluded.contains(QChar(c)))
            expected.append(QChar(c));
    QCOMPARE(expected.size(), TableLength);
    QString actual = table(0);
    std::sort(actual.begin(), actual.end());
    QCOMPARE(actual, expected);
}

void tst_ScrambleCodec::tablesAreDistinctPermutations()
{
    QString alphabet = table(0);
    std::sort(alphabet.begin(), alphabet.end());
    QSet<QString> seen;
    for (int k = 0; k < TableCount; ++k) {
        QString sorted = table(k);
        QCOMPARE(sorted.size(), TableLength);
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, alphabet);
        seen.insert(table(k));
    }
    QCOMPARE(seen.size(), TableCount);
}

void tst_ScrambleCodec::tableOutsideRangeIsEmpty()
{
    QVERIFY(table(-1).isEmpty());
    QVERIFY(table(TableCount).isEmpty());
}

void tst_ScrambleCodec::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("alphabet") << QString(table(0));
    QTest::newRow("excluded six") << kExcluded;
    QTest::newRow("chinese name") << QStringLiteral("张三");
    QTest::newRow("mixed") << QStringLiteral("王小明: pass word;\"&'");
    QTest::newRow("control characters") << QStringLiteral("\t\r\n\x01\x1f\x7f");
    QTest::newRow("commas") << QStringLiteral(",,a,b,");
    QTest::newRow("surrogate pair") << QString::fromUtf8("a😀b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x");
    QTest::newRow("nul") << QString(QChar(0)) + QStringLiteral("y");
}

void tst_ScrambleCodec::roundTrip()
{
    QFETCH(QString, text);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(UnscrambleText(ScrambleText(text)), text);
}

void tst_ScrambleCodec::roundTripGenerated()
{
    QRandomGenerator rng(7);
    for (int i = 0; i < 20000; ++i) {
        const QString text = generatedText(rng);
        const QString scrambled = ScrambleText(text, [&rng] { return rng.generateDouble(); });
        QCOMPARE(UnscrambleText(scrambled), text);
    }
}

void tst_ScrambleCodec::roundTripThroughEveryTable()
{
    const QString text = table(0) + kExcluded + QStringLiteral("中文");
    for (int k = 0; k <= DrawnTableLimit; ++k) {
        const QString scrambled = ScrambleText(text, choosingTable(k));
        QCOMPARE(scrambled.mid(6, 2), QString::number(k).rightJustified(2, u'0'));
        QCOMPARE(UnscrambleText(scrambled), text);
    }
}

void tst_ScrambleCodec::layout()
{
    QRandomGenerator rng(11);
    QSet<int> tablesSeen;
    for (int i = 0; i < 5000; ++i) {
        const QString text = generatedText(rng);
        const QString scrambled = ScrambleText(text);
        QCOMPARE(scrambled.size(), text.size() + 10);
        QVERIFY2(allDigits(QStringView(scrambled).left(10)), qPrintable(scrambled));
        const int k = scrambled.mid(6, 2).toInt();
        QVERIFY(k >= 0 && k <= DrawnTableLimit);
        tablesSeen.insert(k);
    }
    QCOMPARE(tablesSeen.size(), DrawnTableLimit + 1);
}

void tst_ScrambleCodec::emptyTextGivesTenDigits()
{
    const QString scrambled = ScrambleText(QString());
    QCOMPARE(scrambled.size(), 10);
    QVERIFY(allDigits(scrambled));
    QCOMPARE(UnscrambleText(scrambled), QString());
}

void tst_ScrambleCodec::drawsComeInLayoutOrder()
{
    // Eight noise draws, then the table number: 0.1*9 -> 1, ..., 0.8*9 -> 7.
    const auto source = sequence({0.1, 0.2, 0.3, 0.4, 0.6, 0.7, 0.8, 0.9, 5.0 / 19});
    QCOMPARE(ScrambleText(QString(), source), QStringLiteral("123456" "05" "78"));
}

void tst_ScrambleCodec::drawsRoundHalfToEven_data()
{
    QTest::addColumn<double>("product");
    QTest::addColumn<int>("factor");
    QTest::addColumn<int>("expected");
    QTest::newRow("noise 0.5") << 0.5 << 9 << 0;
    QTest::newRow("noise 1.5") << 1.5 << 9 << 2;
    QTest::newRow("noise 2.5") << 2.5 << 9 << 2;
    QTest::newRow("noise 8.5") << 8.5 << 9 << 8;
    QTest::newRow("noise 0") << 0.0 << 9 << 0;
    QTest::newRow("table 0.5") << 0.5 << 19 << 0;
    QTest::newRow("table 1.5") << 1.5 << 19 << 2;
    QTest::newRow("table 18.5") << 18.5 << 19 << 18;
    QTest::newRow("table 0") << 0.0 << 19 << 0;
}

void tst_ScrambleCodec::drawsRoundHalfToEven()
{
    QFETCH(double, product);
    QFETCH(int, factor);
    QFETCH(int, expected);
    const double u = product / factor;
    QCOMPARE(u * factor, product); // the half must reach the rounding exactly
    std::vector<double> values(9, 0.0);
    values[factor == 9 ? 0 : 8] = u;
    const QString header = ScrambleText(QString(), sequence(values));
    const int drawn = factor == 9 ? header.left(1).toInt() : header.mid(6, 2).toInt();
    QCOMPARE(drawn, expected);
}

void tst_ScrambleCodec::highestDraws()
{
    const double u = std::nextafter(1.0, 0.0);
    QCOMPARE(ScrambleText(QString(), sequence(std::vector<double>(9, u))), QStringLiteral("999999" "19" "99"));
}

void tst_ScrambleCodec::faultySourceKeepsLayout()
{
    const std::vector<double> bad = {-3.0, 1.0, 2.0, 1e300, std::nan(""), -0.0, 7.0, 1.5, 100.0};
    const QString scrambled = ScrambleText(QStringLiteral("abc"), sequence(bad));
    QCOMPARE(scrambled.size(), 13);
    QVERIFY(allDigits(QStringView(scrambled).left(10)));
    QCOMPARE(scrambled.mid(6, 2), QStringLiteral("19"));
    QCOMPARE(UnscrambleText(scrambled), QStringLiteral("abc"));
}

void tst_ScrambleCodec::bodyGoesThroughChosenTable()
{
    for (int k = 0; k <= DrawnTableLimit; ++k) {
        const QString scrambled = ScrambleText(QString(table(0)), choosingTable(k));
        QCOMPARE(scrambled.mid(10), QString(table(k)));
    }
}

void tst_ScrambleCodec::tableZeroKeepsBody()
{
    const QString text = QStringLiteral("user,Name_01!");
    const QString scrambled = ScrambleText(text, choosingTable(0));
    QCOMPARE(scrambled.mid(6, 2), QStringLiteral("00"));
    QCOMPARE(scrambled.mid(10), text);
}

void tst_ScrambleCodec::outsideCharactersKeepValueAndPlace()
{
    const QString text = QStringLiteral("张 a:b;c\"d&e'f\t");
    const QString scrambled = ScrambleText(text, choosingTable(13));
    const QString body = scrambled.mid(10);
    QCOMPARE(body, substituted(text, 13));
    for (int i : {0, 1, 3, 5, 7, 9, 11, 13})
        QCOMPARE(body[i], text[i]);
    QVERIFY(body != text); // table 13 moves at least one of a to f
}

void tst_ScrambleCodec::programRandomIsUniform()
{
    constexpr int draws = 200000;
    constexpr int bins = 10;
    int counts[bins] = {};
    for (int i = 0; i < draws; ++i) {
        const double u = programRandom();
        QVERIFY(u >= 0.0 && u < 1.0);
        ++counts[int(u * bins)];
    }
    double chiSquare = 0;
    for (int c : counts)
        chiSquare += (c - draws / bins) * double(c - draws / bins) / (draws / bins);
    // 9 degrees of freedom: 27.9 is the 0.1 % tail.
    QVERIFY2(chiSquare < 27.9, qPrintable(QString::number(chiSquare)));
}

void tst_ScrambleCodec::roundHalfEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("2.4") << 2.4 << 2.0;
    QTest::newRow("2.6") << 2.6 << 3.0;
    QTest::newRow("-0.5") << -0.5 << 0.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-2.6") << -2.6 << -3.0;
    QTest::newRow("21.5") << 21.5 << 22.0;
    QTest::newRow("whole") << 7.0 << 7.0;
}

void tst_ScrambleCodec::roundHalfEven()
{
    QFETCH(double, x);
    QFETCH(double, expected);
    QCOMPARE(scramble::roundHalfEven(x), expected);
}

void tst_ScrambleCodec::readNumber_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("expected");
    QTest::newRow("two digits") << "07" << 7.0;
    QTest::newRow("nineteen") << "19" << 19.0;
    QTest::newRow("leading blank") << " 7" << 7.0;
    QTest::newRow("leading tab") << "\t8" << 8.0;
    QTest::newRow("leading line feed") << "\n9" << 9.0;
    QTest::newRow("trailing blank") << "7 " << 7.0;
    QTest::newRow("two blanks") << "  " << 0.0;
    QTest::newRow("plus") << "+2" << 2.0;
    QTest::newRow("minus") << "-3" << -3.0;
    QTest::newRow("minus zero") << "-0" << 0.0;
    QTest::newRow("sign alone") << "- " << 0.0;
    QTest::newRow("two signs") << "+-" << 0.0;
    QTest::newRow("digit then letter") << "2x" << 2.0;
    QTest::newRow("exponent letter") << "1e" << 1.0;
    QTest::newRow("hex prefix") << "&H" << 0.0;
    QTest::newRow("octal-like") << "&7" << 0.0;
    QTest::newRow("letters") << "ab" << 0.0;
    QTest::newRow("point five") << ".5" << 0.5;
    QTest::newRow("point seven") << ".7" << 0.7;
    QTest::newRow("digit point") << "1." << 1.0;
    QTest::newRow("point alone") << ". " << 0.0;
    QTest::newRow("comma") << "1," << 1.0;
    QTest::newRow("full-width digits") << "１２" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("one digit") << "4" << 4.0;
    QTest::newRow("longer") << " -12.25x" << -12.25;
}

void tst_ScrambleCodec::readNumber()
{
    QFETCH(QString, field);
    QFETCH(double, expected);
    QCOMPARE(scramble::readNumber(field), expected);
}

void tst_ScrambleCodec::unscrambleMalformed_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    const QString plain = QStringLiteral("Ab,9张 ~");
    const QString others = QStringLiteral("张 ");
    const auto with = [&](const char *index, int k) {
        return QStringLiteral("123456") + QLatin1String(index) + QStringLiteral("78") + substituted(plain, k);
    };
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("six characters") << QStringLiteral("123456") << QString();
    QTest::newRow("ten characters") << QStringLiteral("1234560078") << QString();
    QTest::newRow("eleven characters") << QStringLiteral("1234560078x") << QStringLiteral("x");
    QTest::newRow("index 00") << with("00", 0) << plain;
    QTest::newRow("index 19") << with("19", 19) << plain;
    QTest::newRow("index 20 by hand") << with("20", 20) << plain;
    QTest::newRow("index 21 by hand") << with("21", 21) << plain;
    QTest::newRow("index not a number") << QStringLiteral("123456ab78") + plain << plain;
    QTest::newRow("index hex prefix") << QStringLiteral("123456&H78") + plain << plain;
    QTest::newRow("index blank seven") << with(" 7", 7) << plain;
    QTest::newRow("index seven blank") << with("7 ", 7) << plain;
    QTest::newRow("index plus two") << with("+2", 2) << plain;
    QTest::newRow("index digit letter") << with("3x", 3) << plain;
    QTest::newRow("index point five") << with(".5", 0) << plain;
    QTest::newRow("index point six") << with(".6", 1) << plain;
    QTest::newRow("index minus zero") << with("-0", 0) << plain;
    QTest::newRow("index 22 drops") << with("22", 5) << others;
    QTest::newRow("index 99 drops") << with("99", 5) << others;
    QTest::newRow("index minus three drops") << with("-3", 5) << others;
    QTest::newRow("index minus one drops") << with("-1", 5) << others;
    QTest::newRow("noise ignored") << QStringLiteral("zz张 !!00??") + plain << plain;
}

void tst_ScrambleCodec::unscrambleMalformed()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(UnscrambleText(input), expected);
}

QTEST_GUILESS_MAIN(tst_ScrambleCodec)
#include "tst_scramblecodec.moc"

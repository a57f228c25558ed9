#include "platform/codepage936.h"
#include "quickselect/pinyin.h"

#include <QTest>

namespace {

QString charOfCode(int code)
{
    QByteArray bytes;
    bytes.append(char(code >> 8));
    bytes.append(char(code & 0xFF));
    return cp936::toUnicode(bytes);
}

// The character just below a two-byte code (the previous valid trail byte).
QString charBelow(int code)
{
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    return trail > 0xA1 ? charOfCode(code - 1) : charOfCode((lead - 1) << 8 | 0xFE);
}

struct Row
{
    const char16_t *boundary;
    int code;
    char letter;
};

const Row kRows[] = {
    {u"啊", 0xB0A1, 'A'}, {u"芭", 0xB0C5, 'B'}, {u"擦", 0xB2C1, 'C'}, {u"搭", 0xB4EE, 'D'},
    {u"蛾", 0xB6EA, 'E'}, {u"发", 0xB7A2, 'F'}, {u"噶", 0xB8C1, 'G'}, {u"哈", 0xB9FE, 'H'},
    {u"击", 0xBBF7, 'J'}, {u"喀", 0xBFA6, 'K'}, {u"垃", 0xC0AC, 'L'}, {u"妈", 0xC2E8, 'M'},
    {u"拿", 0xC4C3, 'N'}, {u"哦", 0xC5B6, 'O'}, {u"啪", 0xC5BE, 'P'}, {u"期", 0xC6DA, 'Q'},
    {u"然", 0xC8BB, 'R'}, {u"撒", 0xC8F6, 'S'}, {u"塌", 0xCBFA, 'T'}, {u"挖", 0xCDDA, 'W'},
    {u"昔", 0xCEF4, 'X'}, {u"压", 0xD1B9, 'Y'}, {u"匝", 0xD4D1, 'Z'},
};

} // namespace

class TestPinyin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initials_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initials");
        QTest::newRow("湖南卫视") << QStringLiteral("湖南卫视") << QStringLiteral("HNWS");
        QTest::newRow("中央1台") << QStringLiteral("中央1台") << QStringLiteral("ZY1T");
        QTest::newRow("凤凰卫视中文台") << QStringLiteral("凤凰卫视中文台") << QStringLiteral("FHWSZWT");
        QTest::newRow("北京新闻") << QStringLiteral("北京新闻") << QStringLiteral("BJXW");
        QTest::newRow("CCTV-1") << QStringLiteral("CCTV-1") << QStringLiteral("CCTV1");
        QTest::newRow("cctv5+") << QStringLiteral("cctv5+") << QStringLiteral("CCTV5");
        QTest::newRow("full-width brackets") << QStringLiteral("（测试）") << QStringLiteral("0CS0");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("digits kept") << QStringLiteral("0123456789") << QStringLiteral("0123456789");
        QTest::newRow("I U V survive") << QStringLiteral("iuvIUV") << QStringLiteral("IUVIUV");
        QTest::newRow("punctuation vanishes") << QStringLiteral(" -+.,;:!?/\\\t") << QString();
        QTest::newRow("unrepresentable vanishes") << QStringLiteral("a\u0E01b") << QStringLiteral("AB");
        QTest::newRow("emoji vanishes") << QStringLiteral("x\U0001F600y") << QStringLiteral("XY");
        QTest::newRow("second level is Z") << QStringLiteral("亍") << QStringLiteral("Z");
        QTest::newRow("full-width digit is symbol") << QStringLiteral("１") << QStringLiteral("0");
        QTest::newRow("greek and kana") << QStringLiteral("αア") << QStringLiteral("00");
        QTest::newRow("euro is one byte") << QStringLiteral("€") << QString();
    }
    void initials()
    {
        QFETCH(QString, name);
        QFETCH(QString, initials);
        QCOMPARE(PinyinInitials(name), initials);
    }

    void boundaries_data()
    {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<QString>("letter");
        for (size_t i = 0; i < std::size(kRows); ++i) {
            const Row &row = kRows[i];
            const QString boundary = QString::fromUtf16(row.boundary);
            QCOMPARE(charOfCode(row.code), boundary);
            QTest::addRow("%s at", qPrintable(boundary)) << boundary << QString(QLatin1Char(row.letter));
            const QString below = i == 0 ? QStringLiteral("0") : QString(QLatin1Char(kRows[i - 1].letter));
            QTest::addRow("%s below", qPrintable(boundary)) << charBelow(row.code) << below;
        }
        QTest::newRow("0xB0C4") << charOfCode(0xB0C4) << QStringLiteral("A");
        QTest::newRow("last symbol row") << charOfCode(0xA9FE) << QStringLiteral("0");
        QTest::newRow("first symbol") << charOfCode(0xA1A1) << QStringLiteral("0");
        QTest::newRow("GBK extension below") << charOfCode(0x8140) << QStringLiteral("0");
        QTest::newRow("GBK extension above") << charOfCode(0xFE40) << QStringLiteral("Z");
        QTest::newRow("last first-level") << charOfCode(0xD7F9) << QStringLiteral("Z");
    }
    void boundaries()
    {
        QFETCH(QString, ch);
        QFETCH(QString, letter);
        QCOMPARE(ch.size(), 1);
        QCOMPARE(PinyinInitial(ch), letter);
    }

    void singleCharacterOfOneByteCodes()
    {
        QCOMPARE(PinyinInitial(QStringLiteral("a")), QStringLiteral("A"));
        QCOMPARE(PinyinInitial(QStringLiteral("5")), QString());
        QCOMPARE(PinyinInitial(QStringLiteral(" ")), QString());
        QCOMPARE(PinyinInitial(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"

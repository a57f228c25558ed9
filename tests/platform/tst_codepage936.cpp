#include "platform/codepage936.h"

#include <QTest>

class TestCodePage936 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void code_data();
    void code();
    void codeAgreesWithTheEncoderForEveryCharacter();
};

void TestCodePage936::code_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("expected");

    QTest::newRow("A") << QStringLiteral("A") << 0x41;
    QTest::newRow("question mark") << QStringLiteral("?") << 0x3F;
    QTest::newRow("euro sign") << QStringLiteral("€") << 0x80;
    QTest::newRow("soft hyphen, which the encoder drops") << QStringLiteral("\u00AD") << int(cp936::NoCode);
    QTest::newRow("middle dot after the soft hyphen") << QStringLiteral("·") << 0xA1A4;
    QTest::newRow("first GBK character") << QStringLiteral("丂") << 0x8140;
    QTest::newRow("湖") << QStringLiteral("湖") << 0xBAFE;
    QTest::newRow("张") << QStringLiteral("张") << 0xD5C5;
    QTest::newRow("fullwidth colon") << QStringLiteral("：") << 0xA3BA;
    QTest::newRow("won sign, not in the code page") << QStringLiteral("\u20A9") << int(cp936::NoCode);
    QTest::newRow("high surrogate") << QStringLiteral("😀").left(1) << int(cp936::NoCode);
}

void TestCodePage936::code()
{
    QFETCH(QString, character);
    QFETCH(int, expected);

    QCOMPARE(int(cp936::code(character.at(0))), expected);
}

void TestCodePage936::codeAgreesWithTheEncoderForEveryCharacter()
{
    int mismatches = 0;
    for (char32_t u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const QChar ch{char16_t(u)};
        const QByteArray bytes = cp936::fromUnicode(QString(ch));
        quint16 expected = cp936::NoCode;
        if (bytes.size() == 2)
            expected = quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
        else if (bytes.size() == 1 && !(bytes[0] == '?' && u != u'?'))
            expected = quint8(bytes[0]);
        if (cp936::code(ch) != expected && ++mismatches <= 5)
            qWarning("U+%04X: code %04X, encoder %04X", unsigned(u), cp936::code(ch), expected);
    }
    QCOMPARE(mismatches, 0);
}

QTEST_GUILESS_MAIN(TestCodePage936)
#include "tst_codepage936.moc"

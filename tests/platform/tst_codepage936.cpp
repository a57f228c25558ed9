#include "platform/codepage936.h"

#include <QTest>

class TestCodePage936 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("CCTV-1 http://a/b?c=d") << QByteArray("CCTV-1 http://a/b?c=d");
        QTest::newRow("first hanzi") << QStringLiteral("啊") << QByteArray("\xB0\xA1");
        QTest::newRow("channel") << QStringLiteral("湖南卫视") << QByteArray("\xBA\xFE\xC4\xCF\xCE\xC0\xCA\xD3");
        QTest::newRow("euro is 0x80") << QStringLiteral("€") << QByteArray("\x80");
        QTest::newRow("second level") << QStringLiteral("亍") << QByteArray("\xD8\xA1");
        QTest::newRow("full-width brackets") << QStringLiteral("（）") << QByteArray("\xA3\xA8\xA3\xA9");
        QTest::newRow("check mark") << QStringLiteral("√") << QByteArray("\xA1\xCC");
        QTest::newRow("crlf") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp936::fromUnicode(text), bytes);
        QCOMPARE(cp936::toUnicode(bytes), text);
    }

    void unrepresentableBecomesQuestionMark()
    {
        QCOMPARE(cp936::fromUnicode(QStringLiteral("a\u0E01b")), QByteArray("a?b"));
    }

    void invalidBytesDecodeWithoutLoss()
    {
        // A lone lead byte at the end and a NUL must not swallow the rest.
        const QString text = cp936::toUnicode(QByteArray("ab\0c\xB0", 5));
        QVERIFY(text.startsWith(QStringLiteral("ab")));
        QCOMPARE(text.at(2), QChar(u'\0'));
        QCOMPARE(text.at(3), QChar(u'c'));
        QVERIFY(text.size() >= 4);
    }

    void code_data()
    {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<int>("code");
        QTest::newRow("A") << QStringLiteral("A") << 0x41;
        QTest::newRow("NUL") << QString(QChar(u'\0')) << 0;
        QTest::newRow("euro") << QStringLiteral("€") << 0x80;
        QTest::newRow("啊") << QStringLiteral("啊") << 0xB0A1;
        QTest::newRow("匝") << QStringLiteral("匝") << 0xD4D1;
        QTest::newRow("亍") << QStringLiteral("亍") << 0xD8A1;
        QTest::newRow("question mark") << QStringLiteral("?") << 0x3F;
        QTest::newRow("thai") << QStringLiteral("\u0E01") << int(cp936::NoCode);
        QTest::newRow("soft hyphen, which the encoder drops") << QStringLiteral("\u00AD") << int(cp936::NoCode);
        QTest::newRow("middle dot after the soft hyphen") << QStringLiteral("·") << 0xA1A4;
        QTest::newRow("lone surrogate") << QString(QChar(char16_t(0xD83D))) << int(cp936::NoCode);
    }
    void code()
    {
        QFETCH(QString, ch);
        QFETCH(int, code);
        QCOMPARE(int(cp936::code(ch.at(0))), code);
    }

    void codeAgreesWithTheEncoderForEveryCharacter()
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
};

QTEST_GUILESS_MAIN(TestCodePage936)
#include "tst_codepage936.moc"

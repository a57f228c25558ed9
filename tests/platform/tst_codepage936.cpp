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

    void unencodedBecomesQuestionMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        // The invisible and format characters that the converter would drop.
        const QList<QPair<char16_t, char16_t>> dropped = {
            {0x00AD, 0x00AD}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x206F}, {0xFE00, 0xFE0F},
            {0xFEFF, 0xFEFF}, {0x3164, 0x3164}, {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8},
        };
        for (const auto &[first, last] : dropped) {
            for (char16_t u = first; u <= last; ++u) {
                QTest::addRow("U+%04X", unsigned(u)) << QStringLiteral("a") + QChar(u) + QStringLiteral("b")
                                                     << QByteArray("a?b");
            }
        }
        QTest::newRow("thai") << QStringLiteral("a\u0E01b") << QByteArray("a?b");
        QTest::newRow("beyond U+FFFF: one mark") << QStringLiteral("a😀b") << QByteArray("a?b");
        QTest::newRow("lone high surrogate at the end") << QStringLiteral("a") + QChar(char16_t(0xD83D))
                                                        << QByteArray("a?");
        QTest::newRow("lone low surrogate") << QChar(char16_t(0xDE00)) + QStringLiteral("张")
                                            << QByteArray("?\xD5\xC5");
        QTest::newRow("two high surrogates") << QString(2, QChar(char16_t(0xD83D))) << QByteArray("??");
    }
    void unencodedBecomesQuestionMark()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp936::fromUnicode(text), bytes);
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

    // Every character either comes back through the decoder unchanged, with
    // the code its bytes give, or is marked '?' and has no code.
    void everyCharacterRoundTripsOrIsMarked()
    {
        int mismatches = 0;
        for (char32_t u = 1; u < 0x10000; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF)
                continue;
            const QChar ch{char16_t(u)};
            const QByteArray bytes = cp936::fromUnicode(QString(ch));
            const bool marked = bytes == "?" && u != u'?';
            const quint16 code = cp936::code(ch);
            const bool ok = marked ? code == cp936::NoCode
                                   : cp936::toUnicode(bytes) == QString(ch)
                    && code == (bytes.size() == 1 ? quint8(bytes[0]) : quint8(bytes[0]) << 8 | quint8(bytes[1]));
            if (!ok && ++mismatches <= 5)
                qWarning("U+%04X: bytes %s, code %04X", unsigned(u), bytes.toHex().constData(), code);
        }
        QCOMPARE(mismatches, 0);
    }
};

QTEST_GUILESS_MAIN(TestCodePage936)
#include "tst_codepage936.moc"

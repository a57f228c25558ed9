#include "platform/codepage936.h"
#include "shell/trayrecord.h"

#include <QTest>
#include <QtEndian>

namespace {

quint32 wordAt(const QByteArray &bytes, int index)
{
    return qFromLittleEndian<quint32>(bytes.constData() + 4 * index);
}

} // namespace

class TestTrayRecord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsAllZero()
    {
        const TrayIconRecord record;
        QCOMPARE(record.toBytes(), QByteArray(88, '\0'));
    }

    void mainWindowRecordHasEveryField()
    {
        const TrayIconRecord record = mainWindowTrayRecord(0x12345678u, 0xCAFEu);
        const QByteArray bytes = record.toBytes();
        QCOMPARE(bytes.size(), 88);
        QCOMPARE(wordAt(bytes, 0), 88u);         // cbSize
        QCOMPARE(wordAt(bytes, 1), 0x12345678u); // hWnd
        QCOMPARE(wordAt(bytes, 2), 1u);          // uID
        QCOMPARE(wordAt(bytes, 3), 7u);          // message, icon and tip valid
        QCOMPARE(wordAt(bytes, 4), kTrayCallbackMessage);
        QCOMPARE(wordAt(bytes, 5), 0xCAFEu); // hIcon
        // Little-endian on every host.
        QCOMPARE(bytes.mid(4, 4), QByteArray("\x78\x56\x34\x12", 4));
        QCOMPARE(bytes.mid(24), record.szTip);
    }

    void tipIsCodePage936WithNulAndSpaces()
    {
        const QByteArray field = mainWindowTrayRecord(1, 1).szTip;
        const QByteArray text = cp936::fromUnicode(QStringLiteral("澄屿高清网络电视 V2.4"));
        QCOMPARE(text.size(), 21); // eight two-byte characters and " V2.4"
        QCOMPARE(field.size(), 64);
        QCOMPARE(field.left(21), text);
        QCOMPARE(field.at(21), '\0');
        QCOMPARE(field.mid(22), QByteArray(42, ' '));
        QCOMPARE(quint8(field.at(0)), quint8(0xB3)); // 澄 is B3CE in code page 936
        QCOMPARE(quint8(field.at(1)), quint8(0xCE));
        QCOMPARE(trayTipText(field), QStringLiteral("澄屿高清网络电视 V2.4"));
    }

    void tipField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("ascii") << "tip" << "tip";
        QTest::newRow("63 bytes fit") << QString(63, u'a') << QString(63, u'a');
        QTest::newRow("64 bytes are cut") << QString(64, u'a') << QString(63, u'a');
        // 31 two-byte characters take 62 bytes; the 32nd would split at the NUL.
        QTest::newRow("no half character") << QString(40, u'澄') << QString(31, u'澄');
        QTest::newRow("one byte left") << QStringLiteral("a") + QString(40, u'澄')
                                       << QStringLiteral("a") + QString(31, u'澄');
        QTest::newRow("outside the code page") << QStringLiteral("x😀y") << QStringLiteral("x?y");
    }
    void tipField()
    {
        QFETCH(QString, text);
        const QByteArray field = trayTipField(text);
        QCOMPARE(field.size(), 64);
        QVERIFY(field.contains('\0'));
        QTEST(trayTipText(field), "shown");
        const int nul = field.indexOf('\0');
        QCOMPARE(field.mid(nul + 1), QByteArray(63 - nul, ' '));
    }

    void tipWithoutNulIsReadWhole()
    {
        QCOMPARE(trayTipText(QByteArray("abc")), QStringLiteral("abc"));
        QCOMPARE(trayTipText(QByteArray()), QString());
    }

    void oversizedTipIsCutToItsField()
    {
        TrayIconRecord record;
        record.szTip = QByteArray(100, 'x');
        QCOMPARE(record.toBytes().size(), 88);
        record.szTip = QByteArray("short");
        QCOMPARE(record.toBytes().size(), 88);
        QCOMPARE(record.toBytes().mid(24, 6), QByteArray("short\0", 6));
    }

    void otherMouseMessagesDoNotRestore_data()
    {
        QTest::addColumn<int>("message");
        QTest::newRow("mouse move") << 512;
        QTest::newRow("left button down") << 513;
        QTest::newRow("left double click") << 515;
        QTest::newRow("right button down") << 516;
        QTest::newRow("right double click") << 518;
        QTest::newRow("middle button down") << 519;
        QTest::newRow("negative") << -514;
    }
    void otherMouseMessagesDoNotRestore()
    {
        QFETCH(int, message);
        QVERIFY(!restoresFromTray(message));
    }
};

QTEST_APPLESS_MAIN(TestTrayRecord)
#include "tst_trayrecord.moc"

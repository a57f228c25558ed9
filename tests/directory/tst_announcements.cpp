#include "directory/announcements.h"

#include <QTest>

namespace {

using FieldList = std::optional<QStringList>;

QStringList describe(const QList<announcements::Item> &items)
{
    QStringList out;
    for (const announcements::Item &item : items)
        out.append(QString::number(item.k) + QLatin1Char('|') + item.caption + QLatin1Char('|') + item.url);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(FieldList)

class TestAnnouncements : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void noticeFields_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<FieldList>("expected");
        const auto fields = [](std::initializer_list<const char *> list) {
            QStringList out;
            for (const char *f : list)
                out.append(QString::fromUtf8(f));
            return FieldList(out);
        };

        QTest::newRow("two pairs") << QStringLiteral("$$$*A*u1*B*u2*$$$") << fields({"A", "u1", "B", "u2"});
        QTest::newRow("text around the block")
            << QStringLiteral("通知\n $$$*A*u1*$$$ 以后") << fields({"A", "u1"});
        QTest::newRow("chinese titles")
            << QStringLiteral("$$$*新年快乐*http://h/a?x=1*节目*http://h/b*$$$")
            << fields({"新年快乐", "http://h/a?x=1", "节目", "http://h/b"});
        QTest::newRow("fields kept as they stand")
            << QStringLiteral("$$$* A *  u1 \n*$$$") << fields({" A ", "  u1 \n"});
        QTest::newRow("empty payload") << QStringLiteral("$$$**$$$") << fields({""});
        QTest::newRow("empty fields kept") << QStringLiteral("$$$*A***u2*$$$") << fields({"A", "", "", "u2"});
        QTest::newRow("first of two blocks")
            << QStringLiteral("$$$*A*u1*$$$ $$$*B*u2*$$$") << fields({"A", "u1"});
        QTest::newRow("end marker before the start is passed over")
            << QStringLiteral("*$$$ $$$*A*u1*$$$") << fields({"A", "u1"});
        QTest::newRow("no markers") << QStringLiteral("plain page") << FieldList();
        QTest::newRow("empty text") << QString() << FieldList();
        QTest::newRow("only the start marker") << QStringLiteral("$$$*A*u1*B*u2") << FieldList();
        QTest::newRow("only the end marker") << QStringLiteral("A*u1*$$$") << FieldList();
        QTest::newRow("end marker only before the start")
            << QStringLiteral("A*u1*$$$ then $$$*B*u2") << FieldList();
        QTest::newRow("markers overlapping") << QStringLiteral("$$$*$$$") << FieldList();
    }

    void noticeFields()
    {
        QFETCH(QString, body);
        QFETCH(FieldList, expected);
        QCOMPARE(announcements::noticeFields(body), expected);
    }

    void hasContent_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("one space") << QStringLiteral(" ") << false;
        QTest::newRow("spaces") << QStringLiteral("    ") << false;
        QTest::newRow("letter") << QStringLiteral("a") << true;
        QTest::newRow("spaced letter") << QStringLiteral("  a  ") << true;
        QTest::newRow("tab is not a space") << QStringLiteral("\t") << true;
        QTest::newRow("line break is not a space") << QStringLiteral(" \n ") << true;
        QTest::newRow("ideographic space is not a space") << QStringLiteral("\u3000") << true;
    }

    void hasContent()
    {
        QFETCH(QString, field);
        QFETCH(bool, expected);
        QCOMPARE(announcements::hasContent(field), expected);
    }

    void announcedItems_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two pairs") << QStringList{"A", "u1", "B", "u2"} << QStringList{"1|1.A|u1", "2|2.B|u2"};
        QTest::newRow("blank title skips only its item")
            << QStringList{"A", "u1", "B", "u2", " ", "u3", "D", "u4"}
            << QStringList{"1|1.A|u1", "2|2.B|u2", "4|4.D|u4"};
        QTest::newRow("blank url skips only its item")
            << QStringList{"A", "  ", "B", "u2"} << QStringList{"2|2.B|u2"};
        QTest::newRow("empty title") << QStringList{"", "u1", "B", "u2"} << QStringList{"2|2.B|u2"};
        QTest::newRow("exactly one pair") << QStringList{"A", "u1"} << QStringList{"1|1.A|u1"};
        QTest::newRow("title keeps its spaces") << QStringList{"  A  ", " u1 "} << QStringList{"1|1.  A  | u1 "};
        QTest::newRow("unpaired last title") << QStringList{"A", "u1", "B"} << QStringList{"1|1.A|u1"};
        QTest::newRow("single empty field") << QStringList{""} << QStringList{};
        QTest::newRow("no fields") << QStringList{} << QStringList{};
        QStringList eight;
        QStringList six;
        for (int k = 1; k <= 8; ++k) {
            eight << QStringLiteral("T%1").arg(k) << QStringLiteral("u%1").arg(k);
            if (k <= 6)
                six << QStringLiteral("%1|%1.T%1|u%1").arg(k);
        }
        QTest::newRow("more than six pairs") << eight << six;
        QTest::newRow("thirteenth field ignored") << (eight.mid(0, 12) << QStringLiteral("T7")) << six;
        QTest::newRow("chinese title") << QStringList{"公告", "http://h/公告"} << QStringList{"1|1.公告|http://h/公告"};
    }

    void announcedItems()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(announcements::announcedItems(fields)), expected);
    }
};

QTEST_GUILESS_MAIN(TestAnnouncements)
#include "tst_announcements.moc"

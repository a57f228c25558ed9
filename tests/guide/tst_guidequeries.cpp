#include "guide/guide.h"
#include "guide/guidetext.h"

#include <QTest>

#include <ctime>

namespace {

// Seconds since 1970 of a Beijing wall-clock time (UTC+8, no daylight saving).
qint64 beijing(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm"))
               .toTimeSpec(Qt::UTC)
               .toSecsSinceEpoch();
}

Guide sampleGuide()
{
    const auto p = [](const char *from, const char *to, const char *title) {
        return GuideProgramme{beijing(from), beijing(to), QString::fromUtf8(title), {}};
    };
    return Guide({{QStringLiteral("hn"), {QStringLiteral("湖南卫视")},
                   {p("2024-03-10 19:00", "2024-03-10 19:30", "新闻联播"),
                    p("2024-03-10 19:30", "2024-03-10 20:00", "焦点访谈"),
                    p("2024-03-10 23:00", "2024-03-11 01:00", "午夜电影"),
                    p("2024-03-11 01:00", "2024-03-11 02:00", "重播"),
                    p("2024-03-12 08:00", "2024-03-12 09:00", "后天的")}}},
                 0, {});
}

GuideEntryKey entry(double shiftHours = 0)
{
    return {{}, {}, QStringLiteral("湖南卫视 高清"), qint64(shiftHours * 3600)};
}

} // namespace

class TestGuideQueries : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nowAndNext_data();
    void nowAndNext();
    void schedule_data();
    void schedule();
};

void TestGuideQueries::initTestCase()
{
    // Times are shown in local time: make it Beijing's.
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    QCOMPARE(QDateTime::fromSecsSinceEpoch(0).offsetFromUtc(), 8 * 3600);
}

void TestGuideQueries::nowAndNext_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<double>("shift");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("tip");

    QTest::newRow("during the news") << "2024-03-10 19:10" << 0.0 << "正在播出 新闻联播 (19:00–19:30), 下一个 焦点访谈"
                                     << "正在播出 19:00–19:30 新闻联播\n下一个 19:30–20:00 焦点访谈";
    QTest::newRow("a programme starts on the minute") << "2024-03-10 19:30" << 0.0
                                                      << "正在播出 焦点访谈 (19:30–20:00), 下一个 午夜电影"
                                                      << "正在播出 19:30–20:00 焦点访谈\n下一个 23:00–01:00 午夜电影";
    QTest::newRow("in a gap: only what comes next") << "2024-03-10 21:00" << 0.0 << "下一个 午夜电影"
                                                    << "下一个 23:00–01:00 午夜电影";
    QTest::newRow("after midnight, the film still runs") << "2024-03-11 00:30" << 0.0
                                                         << "正在播出 午夜电影 (23:00–01:00), 下一个 重播"
                                                         << "正在播出 23:00–01:00 午夜电影\n下一个 01:00–02:00 重播";
    QTest::newRow("tvg-shift -1: an hour earlier") << "2024-03-10 19:10" << -1.0 << "下一个 午夜电影"
                                                   << "下一个 22:00–00:00 午夜电影";
    QTest::newRow("tvg-shift 0.5: half an hour later") << "2024-03-10 19:40" << 0.5
                                                       << "正在播出 新闻联播 (19:30–20:00), 下一个 焦点访谈"
                                                       << "正在播出 19:30–20:00 新闻联播\n下一个 20:00–20:30 焦点访谈";
    QTest::newRow("after the last programme") << "2024-03-12 10:00" << 0.0 << "" << "";
}

void TestGuideQueries::nowAndNext()
{
    QFETCH(QString, at);
    QFETCH(double, shift);
    QFETCH(QString, line);
    QFETCH(QString, tip);

    const GuideNowNext answer = sampleGuide().nowAndNext(entry(shift), QDateTime::fromSecsSinceEpoch(beijing(qPrintable(at))));
    QCOMPARE(guideOverlayLine(answer), line);
    QCOMPARE(guideToolTip(answer), tip);
    QVERIFY(!sampleGuide().nowAndNext({{}, {}, QStringLiteral("东方卫视"), 0}, QDateTime::currentDateTime()).hasNext);
}

void TestGuideQueries::schedule_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("items");
    QTest::addColumn<int>("current");

    QTest::newRow("today and tomorrow, the news running")
        << "2024-03-10 19:10" << "19:00–19:30 新闻联播; 19:30–20:00 焦点访谈; 23:00–01:00 午夜电影; 01:00–02:00 重播" << 0;
    QTest::newRow("the film across midnight opens the next day")
        << "2024-03-11 00:30" << "23:00–01:00 午夜电影; 01:00–02:00 重播; 08:00–09:00 后天的" << 0;
    QTest::newRow("nothing running") << "2024-03-11 05:00" << "23:00–01:00 午夜电影; 01:00–02:00 重播; 08:00–09:00 后天的"
                                     << -1;
    QTest::newRow("a day without programmes") << "2024-03-20 12:00" << "" << -1;
}

void TestGuideQueries::schedule()
{
    QFETCH(QString, at);
    QFETCH(QString, items);
    QFETCH(int, current);

    const QDateTime now = QDateTime::fromSecsSinceEpoch(beijing(qPrintable(at)));
    const GuideSchedule answer = sampleGuide().schedule(entry(), now.date(), 2, now);
    QStringList texts;
    for (const GuideSlot &slot : answer.items)
        texts << guideSlotText(slot);
    QCOMPARE(texts.join(QStringLiteral("; ")), items);
    QCOMPARE(answer.current, current);
}

QTEST_GUILESS_MAIN(TestGuideQueries)
#include "tst_guidequeries.moc"

#include "guide/guidefile.h"
#include "guidexml.h"
#include "servicerouter.h"

#include <QBuffer>
#include <QTest>

#include <ctime>

class TestServiceGuide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void guideCoversTheDemoChannels();
};

// The service's guide, read as the program reads it, for the demo TV list.
void TestServiceGuide::guideCoversTheDemoChannels()
{
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    ServiceData data;
    QString error;
    QVERIFY2(data.load(QStringLiteral(CHENGYU_DEMO_DIR), &error), qPrintable(error));
    // Taken before the guide is made: if midnight passes in between, the
    // guide's days begin one later and still hold tomorrow.
    const QDate today = QDate::currentDate();
    ServiceRouter router(data);
    ServiceRequest request;
    request.path = QStringLiteral("/guide.xml");
    const ServiceAnswer answer = router.answer(request);
    QCOMPARE(answer.status, 200);

    QList<GuideEntryKey> keys;
    for (const ServiceChannel &channel : data.tv())
        keys.append({{}, {}, channel.name, 0});
    const QString shifted = QString::fromUtf8(serviceguide::kShiftedChannel);
    keys.append({{}, {}, shifted, -serviceguide::kShiftHours * 3600});
    QBuffer buffer;
    buffer.setData(answer.body);
    buffer.open(QIODevice::ReadOnly);
    const GuideReadResult result = readGuide(buffer, keys, QDateTime::currentSecsSinceEpoch(), QStringLiteral("service"));
    QVERIFY2(result.guide, qPrintable(result.error));
    const Guide &guide = *result.guide;

    for (const GuideEntryKey &key : keys)
        QVERIFY2(guide.channelFor(key) >= 0, qPrintable(key.name));
    // CCTV-1 综合 is "CCTV1" in the guide: found only after normalising.
    const int cctv1 = guide.channelFor({{}, {}, QStringLiteral("CCTV-1 综合"), 0});
    QCOMPARE(guide.channels().at(cctv1).names, QStringList{QStringLiteral("CCTV1")});

    // The news is at 19:00 on every channel; the late channel needs its tvg-shift.
    const QDateTime tomorrowEvening(today.addDays(1), QTime(19, 10));
    QCOMPARE(guide.nowAndNext(keys.first(), tomorrowEvening).now.title, QStringLiteral("新闻联播"));
    QCOMPARE(guide.nowAndNext(keys.last(), tomorrowEvening).now.title, QStringLiteral("新闻联播"));
    QVERIFY(guide.nowAndNext({{}, {}, shifted, 0}, tomorrowEvening).now.title != QStringLiteral("新闻联播"));

    // The first channel's late show runs across midnight.
    const GuideSchedule days = guide.schedule(keys.first(), today, 2, tomorrowEvening);
    const auto acrossMidnight = std::find_if(days.items.begin(), days.items.end(), [](const GuideSlot &slot) {
        return slot.start.date() != slot.stop.date() && slot.stop.time() != QTime(0, 0);
    });
    QVERIFY(acrossMidnight != days.items.end());
    QCOMPARE(acrossMidnight->title, QStringLiteral("午夜剧场"));
}

QTEST_GUILESS_MAIN(TestServiceGuide)
#include "tst_serviceguide.moc"

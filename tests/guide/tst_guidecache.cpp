#include "guidefixtures.h"

#include "guide/guidecache.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

Guide sampleGuide()
{
    const QString news = QStringLiteral("新闻联播");
    QList<GuideChannel> channels = {
        {QStringLiteral("cctv1.cn"), {QStringLiteral("CCTV-1 综合"), QStringLiteral("CCTV1")},
         {{kGuideNow - 7200, kGuideNow - 1800, news, QStringLiteral("每日新闻")},
          {kGuideNow - 1800, kGuideNow + 60, QStringLiteral("天气预报"), {}},
          {kGuideNow + 3600, kGuideNow + 5400, news, QStringLiteral("重播 🎬")}}},
        {QStringLiteral("hn"), {QStringLiteral("湖南卫视")}, {{kGuideNow, kGuideNow + 86400 * 7, news, {}}}},
    };
    return Guide(channels, kGuideNow, QStringLiteral("http://127.0.0.1:8801/guide.xml"),
                 guideKeysDigest({{{}, {}, QStringLiteral("湖南卫视"), 0}}));
}

void compareGuides(const Guide &actual, const Guide &expected)
{
    QCOMPARE(actual.channels(), expected.channels());
    QCOMPARE(actual.madeAt(), expected.madeAt());
    QCOMPARE(actual.source(), expected.source());
    QCOMPARE(actual.keysDigest(), expected.keysDigest());
}

} // namespace

class TestGuideCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip();
    void damagedCacheReadsAsNone();
    void fileIsReplaced();
};

void TestGuideCache::roundTrip()
{
    const Guide guide = sampleGuide();
    const QByteArray bytes = encodeGuideCache(guide);
    const std::shared_ptr<Guide> back = decodeGuideCache(bytes);
    QVERIFY(back);
    compareGuides(*back, guide);
    // Titles are stored once: the repeated one costs an index, not its text again.
    QCOMPARE(bytes.count(QStringLiteral("新闻联播").toUtf8()), 1);
    // And what the lookups answer survives too.
    QCOMPARE(back->channelFor({{}, {}, QStringLiteral("CCTV-1 综合"), 0}), 0);
}

void TestGuideCache::damagedCacheReadsAsNone()
{
    const QByteArray bytes = encodeGuideCache(sampleGuide());
    for (qsizetype cut = 0; cut < bytes.size(); ++cut)
        QVERIFY2(!decodeGuideCache(bytes.left(cut)), qPrintable(QStringLiteral("cut at %1").arg(cut)));
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        QByteArray flipped = bytes;
        flipped[at] = char(flipped[at] ^ 0x20);
        QVERIFY2(!decodeGuideCache(flipped), qPrintable(QStringLiteral("byte %1 changed").arg(at)));
    }
    QVERIFY(!decodeGuideCache(bytes + "x"));
    QVERIFY(!decodeGuideCache(encodeGuideCache(Guide())));
}

void TestGuideCache::fileIsReplaced()
{
    QTemporaryDir folder;
    QVERIFY(!loadGuideCache(folder.path()));
    QVERIFY(saveGuideCache(folder.path(), Guide({{QStringLiteral("old"), {}, {{0, 1, QStringLiteral("x"), {}}}}}, 1, {})));
    const Guide guide = sampleGuide();
    QVERIFY(saveGuideCache(folder.path(), guide));
    const std::shared_ptr<Guide> loaded = loadGuideCache(folder.path());
    QVERIFY(loaded);
    compareGuides(*loaded, guide);
    QVERIFY(!saveGuideCache(folder.filePath(QStringLiteral("missing/folder")), guide));
    // A run that keeps nothing has no cache.
    QVERIFY(!saveGuideCache(QString(), guide));
    QVERIFY(!loadGuideCache(QString()));
}

QTEST_GUILESS_MAIN(TestGuideCache)
#include "tst_guidecache.moc"

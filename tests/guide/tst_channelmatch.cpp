#include "guide/channelname.h"
#include "guide/guide.h"

#include <QTest>

namespace {

GuideChannel channel(const QString &id, const QStringList &names)
{
    return {id, names, {{0, 1, QStringLiteral("节目"), {}}}};
}

// The guide every matching row is asked against; ids say which channel answered.
Guide sampleGuide()
{
    return Guide({channel(QStringLiteral("hunan"), {QStringLiteral("湖南卫视")}),
                  channel(QStringLiteral("hunan4k"), {QStringLiteral("湖南卫视4K")}),
                  channel(QStringLiteral("cctv1"), {QStringLiteral("CCTV1")}),
                  channel(QStringLiteral("cctv5"), {QStringLiteral("CCTV-5")}),
                  channel(QStringLiteral("cctv5plus"), {QStringLiteral("CCTV5+")}),
                  channel(QStringLiteral("cctv4k"), {QStringLiteral("CCTV-4K")}),
                  channel(QStringLiteral("cctvnews"), {QStringLiteral("CCTV新闻")}),
                  channel(QStringLiteral("phoenix"), {QStringLiteral("凤凰卫视中文台"), QStringLiteral("Phoenix Chinese")}),
                  channel(QStringLiteral("jiangsu.cn"), {QStringLiteral("江苏卫视")}),
                  channel(QStringLiteral("zhejiang"), {QStringLiteral("浙江卫视HD")}),
                  channel(QStringLiteral("zhejiang2"), {QStringLiteral("浙江卫视 高清")}),
                  channel(QStringLiteral("tvb"), {QStringLiteral("TVB")}),
                  channel(QStringLiteral("hunan"), {QStringLiteral("湖南卫视 重复")})},
                 0, {});
}

} // namespace

class TestChannelMatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void normalise_data();
    void normalise();
    void match_data();
    void match();
};

void TestChannelMatch::normalise_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("normalised");

    QTest::newRow("湖南卫视4K") << "湖南卫视4K" << "湖南卫视";
    QTest::newRow("湖南卫视 4k") << "湖南卫视 4k" << "湖南卫视";
    QTest::newRow("湖南卫视高清") << "湖南卫视高清" << "湖南卫视";
    QTest::newRow("湖南卫视超高清 keeps no 超") << "湖南卫视超高清" << "湖南卫视";
    QTest::newRow("湖南卫视(高清)") << "湖南卫视(高清)" << "湖南卫视";
    QTest::newRow("labels one after another") << "浙江卫视 HD 高清频道" << "浙江卫视";
    QTest::newRow("CCTV-1 综合") << "CCTV-1 综合" << "cctv1";
    QTest::newRow("CCTV-1综合高清") << "CCTV-1综合高清" << "cctv1";
    QTest::newRow("CCTV-5+ 体育赛事") << "CCTV-5+ 体育赛事" << "cctv5+";
    QTest::newRow("CCTV-13 新闻 HD") << "CCTV-13 新闻 HD" << "cctv13";
    QTest::newRow("full-width ＣＣＴＶ－１") << "ＣＣＴＶ－１" << "cctv1";
    QTest::newRow("ideographic space") << "北京卫视\u3000标清" << "北京卫视";
    QTest::newRow("凤凰卫视中文台") << "凤凰卫视中文台" << "凤凰卫视中文";
    QTest::newRow("中央1台") << "中央1台" << "中央1";
    QTest::newRow("code without digits keeps its Chinese") << "CCTV新闻" << "cctv新闻";
    QTest::newRow("TVB翡翠台 keeps 翡翠") << "TVB翡翠台" << "tvb翡翠";
    QTest::newRow("Chinese before the code stays") << "卫视CCTV1综合" << "卫视cctv1综合";
    QTest::newRow("4K after a letter is part of the code") << "CCTV-4K" << "cctv4k";
    QTest::newRow("4K after a digit is a label") << "CCTV5 4K" << "cctv5";
    QTest::newRow("a label alone stays") << "高清" << "高清";
    QTest::newRow("4K alone stays") << "4K" << "4k";
    QTest::newRow("dots and middle dots") << "Channel.V·音乐" << "channelv音乐";
    QTest::newRow("FHD goes whole") << "Discovery FHD" << "discovery";
    QTest::newRow("case folded") << "Phoenix Chinese" << "phoenixchinese";
    QTest::newRow("empty") << "" << "";
}

void TestChannelMatch::normalise()
{
    QFETCH(QString, name);
    QFETCH(QString, normalised);
    QCOMPARE(normaliseChannelName(name), normalised);
}

void TestChannelMatch::match_data()
{
    QTest::addColumn<QString>("tvgId");
    QTest::addColumn<QString>("tvgName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("channel"); // id of the guide channel found, empty for none

    QTest::newRow("湖南卫视 exactly") << "" << "" << "湖南卫视" << "hunan";
    QTest::newRow("湖南卫视4K: the exact name wins over the normalised one") << "" << "" << "湖南卫视4K" << "hunan4k";
    QTest::newRow("湖南卫视 高清 normalises to 湖南卫视") << "" << "" << "湖南卫视 高清" << "hunan";
    QTest::newRow("CCTV-1 综合 finds CCTV1") << "" << "" << "CCTV-1 综合" << "cctv1";
    QTest::newRow("CCTV5 finds CCTV-5, not CCTV5+") << "" << "" << "CCTV5" << "cctv5";
    QTest::newRow("CCTV-5+ 体育赛事 finds CCTV5+") << "" << "" << "CCTV-5+ 体育赛事" << "cctv5plus";
    QTest::newRow("CCTV4K is not CCTV-4K's 4K label") << "" << "" << "CCTV4K" << "cctv4k";
    QTest::newRow("CCTV新闻 is not CCTV-1") << "" << "" << "CCTV新闻" << "cctvnews";
    QTest::newRow("凤凰卫视中文台 by its first display-name") << "" << "" << "凤凰卫视中文台" << "phoenix";
    QTest::newRow("phoenix chinese by its second one, normalised") << "" << "" << "PHOENIX-CHINESE" << "phoenix";
    QTest::newRow("浙江卫视: two channels normalise alike, the first wins") << "" << "" << "浙江卫视" << "zhejiang";
    QTest::newRow("浙江卫视 高清: the exact one wins") << "" << "" << "浙江卫视 高清" << "zhejiang2";
    QTest::newRow("tvg-id first, whatever the name") << "jiangsu.cn" << "" << "湖南卫视" << "jiangsu.cn";
    QTest::newRow("a repeated id stays with the first channel") << "hunan" << "" << "" << "hunan";
    QTest::newRow("tvg-name before the name") << "" << "江苏卫视" << "湖南卫视" << "jiangsu.cn";
    QTest::newRow("unknown tvg-id falls back to the name") << "nothere" << "" << "江苏卫视" << "jiangsu.cn";
    QTest::newRow("tvg-id is case sensitive") << "HUNAN" << "" << "" << "";
    QTest::newRow("TVB翡翠台 does not find TVB") << "" << "" << "TVB翡翠台" << "";
    QTest::newRow("中央1台 does not find CCTV1") << "" << "" << "中央1台" << "";
    QTest::newRow("unknown channel") << "" << "" << "东方卫视" << "";
    QTest::newRow("empty key") << "" << "" << "" << "";
}

void TestChannelMatch::match()
{
    QFETCH(QString, tvgId);
    QFETCH(QString, tvgName);
    QFETCH(QString, name);
    QFETCH(QString, channel);

    const Guide guide = sampleGuide();
    const GuideEntryKey key{tvgId, tvgName, name, 0};
    const int found = guide.channelFor(key);
    QCOMPARE(found < 0 ? QString() : guide.channels().at(found).id, channel);
    // The parser keeps a channel whenever the lookup could pick it.
    if (found >= 0) {
        const GuideChannel &picked = guide.channels().at(found);
        QVERIFY(GuideWanted::from({key}).wantsChannel(picked.id, picked.names));
    }
}

QTEST_GUILESS_MAIN(TestChannelMatch)
#include "tst_channelmatch.moc"

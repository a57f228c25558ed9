#include "guidexml.h"

#include <QUrl>

namespace {

struct Show
{
    const char *title;
    int minutes;
};

// The day's cycle; each channel starts it at another show.
const Show kShows[] = {
    {"朝闻天下", 60},          {"生活早参考", 30},     {"电视剧：山海情", 45}, {"综艺大观", 90},
    {"午间新闻", 30},          {"纪录片：航拍中国", 50}, {"体育新闻", 20},       {"少儿动画", 40},
    {"百姓故事", 35},          {"黄金剧场", 90},        {"晚间新闻", 30},       {"经典电影", 120},
};
constexpr int kShowCount = int(sizeof(kShows) / sizeof(kShows[0]));

const Show kNews = {"新闻联播", 30};
const Show kLateShow = {"午夜剧场", 60};

QString xmltvTime(const QDateTime &local)
{
    const int offset = local.offsetFromUtc() / 60;
    return local.toString(QStringLiteral("yyyyMMddHHmmss ")) + (offset < 0 ? u'-' : u'+')
        + QStringLiteral("%1%2").arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0')).arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
}

QString guideName(const QString &name) { return name == u"CCTV-1 综合" ? QStringLiteral("CCTV1") : name; }

class Writer
{
public:
    void programme(const QString &id, const QDateTime &from, const QDateTime &to, const Show &show, qint64 lateBy)
    {
        m_xml += QStringLiteral("  <programme start=\"%1\" stop=\"%2\" channel=\"%3\">\n"
                                "    <title lang=\"zh\">%4</title>\n    <desc lang=\"zh\">澄屿演示节目：%4</desc>\n"
                                "  </programme>\n")
                     .arg(xmltvTime(from.addSecs(lateBy)), xmltvTime(to.addSecs(lateBy)), id,
                          QString::fromUtf8(show.title).toHtmlEscaped());
    }
    // One local day of a channel: the cycle around the news at 19:00, and
    // for the late-show channel the show across midnight.
    void day(const QString &id, int index, QDate date, bool lateShow, qint64 lateBy)
    {
        const QDateTime midnight = date.startOfDay();
        const QDateTime news = QDateTime(date, QTime(19, 0));
        QDateTime t = lateShow ? midnight.addSecs(30 * 60) : midnight;
        const QDateTime end = lateShow ? QDateTime(date, QTime(23, 30)) : date.addDays(1).startOfDay();
        for (int i = index; t < end; ++i) {
            const bool newsNext = t < news;
            const Show &show = kShows[i % kShowCount];
            QDateTime stop = t.addSecs(show.minutes * 60);
            stop = std::min(stop, newsNext ? news : end);
            programme(id, t, stop, show, lateBy);
            t = stop;
            if (t == news) {
                programme(id, news, news.addSecs(kNews.minutes * 60), kNews, lateBy);
                t = news.addSecs(kNews.minutes * 60);
            }
        }
        if (lateShow)
            programme(id, end, end.addSecs(kLateShow.minutes * 60), kLateShow, lateBy);
    }
    QString m_xml;
};

} // namespace

QString serviceGuideChannelId(const ServiceChannel &channel, int index)
{
    const QString last = QUrl(channel.url).path().section(QLatin1Char('/'), -1);
    bool ok = false;
    const int number = last.toInt(&ok);
    return QStringLiteral("tv%1").arg(ok && number > 0 ? number : index + 1);
}

QByteArray serviceGuideXml(const QList<ServiceChannel> &tv, const QDateTime &now)
{
    Writer out;
    out.m_xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<tv generator-info-name=\"chengyu-service\">\n");
    for (int i = 0; i < tv.size(); ++i) {
        out.m_xml += QStringLiteral("  <channel id=\"%1\"><display-name lang=\"zh\">%2</display-name></channel>\n")
                         .arg(serviceGuideChannelId(tv[i], i), guideName(tv[i].name).toHtmlEscaped());
    }
    const QDate today = now.toLocalTime().date();
    for (int i = 0; i < tv.size(); ++i) {
        const qint64 lateBy = tv[i].name == QString::fromUtf8(serviceguide::kShiftedChannel)
            ? qint64(serviceguide::kShiftHours) * 3600
            : 0;
        for (int day = -1; day <= 1; ++day)
            out.day(serviceGuideChannelId(tv[i], i), i, today.addDays(day), i == 0, lateBy);
    }
    out.m_xml += QStringLiteral("</tv>\n");
    return out.m_xml.toUtf8();
}

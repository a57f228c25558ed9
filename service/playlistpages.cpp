#include "playlistpages.h"

#include "guidexml.h"
#include "streamchannels.h"

namespace {

QString groupOf(const QString &name)
{
    if (name.startsWith(u"CCTV", Qt::CaseInsensitive))
        return QStringLiteral("央视");
    if (name.contains(u"卫视"))
        return QStringLiteral("卫视");
    return QStringLiteral("其他");
}

} // namespace

namespace playlistpages {

QByteArray tvM3u8(const ServiceData &data)
{
    QString text = QStringLiteral("#EXTM3U url-tvg=\"%1/guide.xml\"\n").arg(data.pageBase());
    const QString lateChannel = QString::fromUtf8(serviceguide::kShiftedChannel);
    for (int i = 0; i < data.tv().size(); ++i) {
        const ServiceChannel &channel = data.tv().at(i);
        // The guide gives this channel's times late; the playlist corrects them.
        const QString shift = channel.name == lateChannel
            ? QStringLiteral(" tvg-shift=\"-%1\"").arg(serviceguide::kShiftHours)
            : QString();
        text += QStringLiteral("#EXTINF:-1 tvg-id=\"%1\" tvg-name=\"%2\" group-title=\"%3\"%4,%2\n%5\n")
                    .arg(serviceGuideChannelId(channel, i), QString(channel.name).remove(u'"'), groupOf(channel.name),
                         shift, data.servedUrl(channel.url));
    }
    text += QStringLiteral("#EXTINF:-1 tvg-id=\"member\" group-title=\"测试\",会员频道（需要User-Agent）\n"
                           "#EXTVLCOPT:http-user-agent=%1\n#EXTVLCOPT:http-referrer=%2/\n%2/live/member.m3u8\n")
                .arg(QLatin1String(StreamChannels::MemberAgent), data.pageBase());
    return text.toUtf8();
}

QByteArray radioPls(const ServiceData &data)
{
    QString text = QStringLiteral("[playlist]\n");
    int n = 0;
    for (const ServiceChannel &channel : data.radio()) {
        ++n;
        text += QStringLiteral("File%1=%2\nTitle%1=%3\nLength%1=-1\n").arg(n).arg(data.servedUrl(channel.url), channel.name);
    }
    text += QStringLiteral("NumberOfEntries=%1\nVersion=2\n").arg(n);
    return text.toUtf8();
}

} // namespace playlistpages

#include "guidetext.h"

#include <QStringList>

namespace {

QString clock(const QDateTime &time) { return time.toLocalTime().toString(QStringLiteral("HH:mm")); }

QString span(const GuideSlot &slot) { return clock(slot.start) + QStringLiteral("–") + clock(slot.stop); }

} // namespace

QString guideSlotText(const GuideSlot &slot) { return span(slot) + QLatin1Char(' ') + slot.title; }

QString guideToolTip(const GuideNowNext &nowNext)
{
    QStringList lines;
    if (nowNext.hasNow)
        lines << QStringLiteral("正在播出 ") + guideSlotText(nowNext.now);
    if (nowNext.hasNext)
        lines << QStringLiteral("下一个 ") + guideSlotText(nowNext.next);
    return lines.join(QLatin1Char('\n'));
}

QString guideOverlayLine(const GuideNowNext &nowNext)
{
    QStringList parts;
    if (nowNext.hasNow)
        parts << QStringLiteral("正在播出 %1 (%2)").arg(nowNext.now.title, span(nowNext.now));
    if (nowNext.hasNext)
        parts << QStringLiteral("下一个 %1").arg(nowNext.next.title);
    return parts.join(QStringLiteral(", "));
}

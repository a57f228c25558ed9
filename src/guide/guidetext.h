#pragma once

#include "guide.h"

#include <QString>

// The texts the channel list and the player show for a guide; times in
// local time, "HH:mm". Empty where the guide has nothing to say.

// "19:00–19:30 新闻联播"
QString guideSlotText(const GuideSlot &slot);
// The row's tooltip: "正在播出 19:00–19:30 新闻联播" and "下一个 19:30–20:00
// 焦点访谈", one a line.
QString guideToolTip(const GuideNowNext &nowNext);
// The line over the player: "正在播出 新闻联播 (19:00–19:30), 下一个 焦点访谈".
QString guideOverlayLine(const GuideNowNext &nowNext);

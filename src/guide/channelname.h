#pragma once

#include <QString>
#include <QStringView>

// A channel name reduced to what tells channels apart, so that the names a
// playlist and a guide give one channel compare equal:
// - full-width letters, digits and signs become their ASCII forms, and the
//   ideographic space a blank;
// - case is folded;
// - blanks, hyphens and dashes, dots, underscores and brackets are removed;
// - quality and label words at the end are removed, repeatedly: 超高清,
//   高清, 超清, 标清, 频道, FHD, UHD, HD, 4K, 8K, 台 (湖南卫视4K → 湖南卫视,
//   凤凰卫视中文台 → 凤凰卫视中文). 4K and 8K stay when a Latin letter comes
//   right before them, where they are part of a channel code (CCTV-4K);
// - a channel code (Latin letters, then digits, maybe a "+") followed only by
//   Chinese characters keeps the code alone: the Chinese part is a
//   descriptor of the numbered channel (CCTV-1 综合 → cctv1, CCTV-5+ 体育赛事
//   → cctv5+). A code without digits keeps its Chinese part (CCTV新闻, TVB翡翠台
//   stay apart from CCTV and TVB), and so does a name that does not start
//   with a code (湖南卫视).
// Nothing is removed that would leave the name empty.
QString normaliseChannelName(QStringView name);

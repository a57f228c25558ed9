#pragma once

#include "servicedata.h"

#include <QByteArray>
#include <QDateTime>

// The service's program guide (XMLTV, UTF-8) for its TV channels: yesterday,
// today and tomorrow in the local time of `now`, every channel with the news
// at 19:00. Three channels show what a guide reader must cope with:
// - CCTV-1 综合 is named "CCTV1" in the guide, so only a normalised name
//   finds it;
// - 凤凰卫视中文台's times are eight hours late, as in guides that give
//   Beijing time as UTC: a playlist corrects it with tvg-shift="-8";
// - the first channel ends each day with a late show from 23:30 to 00:30.
// Channel ids are "tv" and the number of the channel's play page ("tv7").
QByteArray serviceGuideXml(const QList<ServiceChannel> &tv, const QDateTime &now);
// The guide's id of the channel at `index` of the TV list.
QString serviceGuideChannelId(const ServiceChannel &channel, int index);

namespace serviceguide {
// The channel whose guide times are late, and by how much.
constexpr const char *kShiftedChannel = "凤凰卫视中文台";
constexpr int kShiftHours = 8;
} // namespace serviceguide

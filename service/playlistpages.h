#pragma once

#include "servicedata.h"

#include <QByteArray>

// The demo lists as playlist files, for trying the playlist import against
// the service: /playlist/tv.m3u8 and /playlist/radio.pls.
namespace playlistpages {

// UTF-8 M3U8 of the TV list: the service's guide as url-tvg; each channel
// with the guide's id as tvg-id, its name as tvg-name, a group and, for the
// channel whose guide times are late, the tvg-shift that corrects them; plus
// one entry for the members' channel, which plays only with its User-Agent:
// the playlist gives it, and a Referer, through #EXTVLCOPT lines.
QByteArray tvM3u8(const ServiceData &data);

// PLS of the radio list.
QByteArray radioPls(const ServiceData &data);

} // namespace playlistpages

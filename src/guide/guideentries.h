#pragma once

#include "guide.h"

#include <QList>

class ChannelEntries;

// What identifies entry i of a directory to the guide: its tvg-id,
// tvg-name, trimmed name and tvg-shift.
GuideEntryKey guideEntryKey(const ChannelEntries &entries, int i);

// The keys of every entry of the directories, in turn.
QList<GuideEntryKey> guideEntryKeys(const QList<ChannelEntries> &directories);

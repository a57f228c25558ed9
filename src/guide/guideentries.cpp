#include "guideentries.h"

#include "directory/channelentries.h"
#include "guidetime.h"

GuideEntryKey guideEntryKey(const ChannelEntries &entries, int i)
{
    const EntryExtras extras = entries.extras(i);
    return {extras.tvgId.toString(), extras.tvgName.toString(), entries.name(i).trimmed().toString(),
            parseTvgShift(extras.tvgShift).value_or(0)};
}

QList<GuideEntryKey> guideEntryKeys(const QList<ChannelEntries> &directories)
{
    QList<GuideEntryKey> keys;
    qsizetype count = 0;
    for (const ChannelEntries &entries : directories)
        count += entries.count();
    keys.reserve(count);
    for (const ChannelEntries &entries : directories) {
        for (int i = 0; i < entries.count(); ++i)
            keys.append(guideEntryKey(entries, i));
    }
    return keys;
}

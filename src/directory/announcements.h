#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The announcement block that service pages carry in their body text:
// "$$$*" title 1 "*" URL 1 "*" title 2 "*" URL 2 ... "*$$$".
namespace announcements {

inline constexpr int MenuItemCount = 6;

// The payload of the first complete block split at every "*", or nullopt when
// the text holds no start marker followed by an end marker.
std::optional<QStringList> noticeFields(const QString &bodyText);

// True when the text holds something other than U+0020 spaces.
bool hasContent(const QString &field);

struct Item
{
    int k; // 1 to 6
    QString caption; // "k." followed by the title as it stands
    QString url; // as it stands
};

// The menu items that the fields fill: item k when fields 2k-2 and 2k-1 exist
// and both have content. Pairs after the sixth are ignored.
QList<Item> announcedItems(const QStringList &fields);

} // namespace announcements

#include "announcements.h"

namespace announcements {

namespace {
const QString kStart = QStringLiteral("$$$*");
const QString kEnd = QStringLiteral("*$$$");
const QChar kSeparator = QLatin1Char('*');
} // namespace

std::optional<QStringList> noticeFields(const QString &bodyText)
{
    const int start = bodyText.indexOf(kStart);
    if (start < 0)
        return std::nullopt;
    const int payloadStart = start + kStart.size();
    // The end marker must follow the start marker, not overlap it.
    const int end = bodyText.indexOf(kEnd, payloadStart);
    if (end < 0)
        return std::nullopt;
    return bodyText.mid(payloadStart, end - payloadStart).split(kSeparator);
}

bool hasContent(const QString &field)
{
    for (const QChar c : field) {
        if (c != QLatin1Char(' '))
            return true;
    }
    return false;
}

QList<Item> announcedItems(const QStringList &fields)
{
    QList<Item> items;
    for (int k = 1; k <= MenuItemCount; ++k) {
        const int title = 2 * k - 2;
        const int url = 2 * k - 1;
        if (url >= fields.size())
            break;
        if (hasContent(fields.at(title)) && hasContent(fields.at(url)))
            items.append(Item{k, QString::number(k) + QLatin1Char('.') + fields.at(title), fields.at(url)});
    }
    return items;
}

} // namespace announcements

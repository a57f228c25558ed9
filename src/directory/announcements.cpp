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

AnnouncementMenu::AnnouncementMenu(QAction *const (&n)[announcements::MenuItemCount], WebView *WebBrowser1,
                                   WebView *WebBrowser2, QStringList &NoticeFields, QObject *parent)
    : QObject(parent)
    , m_main(WebBrowser1)
    , m_notice(WebBrowser2)
    , m_fields(NoticeFields)
{
    for (int i = 0; i < announcements::MenuItemCount; ++i) {
        m_items[i] = n[i];
        if (n[i])
            connect(n[i], &QAction::triggered, this, [this, i] { n_Click(i + 1); });
    }
    if (WebBrowser2)
        connect(WebBrowser2, &WebView::DownloadComplete, this, &AnnouncementMenu::WebBrowser2_DownloadComplete);
}

void AnnouncementMenu::WebBrowser2_DownloadComplete()
{
    if (!m_notice)
        return;
    const std::optional<QString> body = m_notice->BodyText();
    if (!body)
        return;
    const std::optional<QStringList> fields = announcements::noticeFields(*body);
    if (!fields)
        return;
    m_fields = *fields;
    for (const announcements::Item &item : announcements::announcedItems(m_fields)) {
        const int i = item.k - 1;
        if (!m_items[i])
            continue;
        m_items[i]->setText(item.caption);
        m_links[i] = item.url;
    }
}

void AnnouncementMenu::n_Click(int k)
{
    const QString target = link(k);
    if (target.isEmpty() || !m_main)
        return;
    m_main->Navigate(target);
}

QString AnnouncementMenu::link(int k) const
{
    if (k < 1 || k > announcements::MenuItemCount)
        return QString();
    return m_links[k - 1];
}

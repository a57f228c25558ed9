#include "announcementmenu.h"

AnnouncementMenu::AnnouncementMenu(QAction *const (&n)[announcements::MenuItemCount], QObject *parent)
    : QObject(parent)
{
    for (int i = 0; i < announcements::MenuItemCount; ++i) {
        m_items[i] = n[i];
        if (n[i])
            connect(n[i], &QAction::triggered, this, [this, i] { n_Click(i + 1); });
    }
}

void AnnouncementMenu::WebBrowser2_DownloadComplete(const std::optional<QString> &body)
{
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
    if (!target.isEmpty())
        Q_EMIT openInPlayer(target);
}

QString AnnouncementMenu::link(int k) const
{
    if (k < 1 || k > announcements::MenuItemCount)
        return QString();
    return m_links[k - 1];
}

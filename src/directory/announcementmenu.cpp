#include "announcementmenu.h"

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

#pragma once

#include "webview/webview.h"

#include <QAction>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
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

// The menu items n1 to n6: filled from every page the notice view finishes,
// each opening in the main view the link announced together with its caption.
// Connects itself to the notice view's DownloadComplete and the six actions.
class AnnouncementMenu : public QObject
{
    Q_OBJECT
public:
    AnnouncementMenu(QAction *const (&n)[announcements::MenuItemCount], WebView *WebBrowser1, WebView *WebBrowser2,
                     QStringList &NoticeFields, QObject *parent = nullptr);

    void WebBrowser2_DownloadComplete();
    // k from 1 to 6; the n1_Click ... n6_Click handlers.
    void n_Click(int k);
    void n1_Click() { n_Click(1); }
    void n2_Click() { n_Click(2); }
    void n3_Click() { n_Click(3); }
    void n4_Click() { n_Click(4); }
    void n5_Click() { n_Click(5); }
    void n6_Click() { n_Click(6); }

    // The link item k opens; empty while the item has never been filled.
    QString link(int k) const;

private:
    std::array<QPointer<QAction>, announcements::MenuItemCount> m_items;
    std::array<QString, announcements::MenuItemCount> m_links;
    QPointer<WebView> m_main;
    QPointer<WebView> m_notice;
    QStringList &m_fields;
};

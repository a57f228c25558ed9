#pragma once

#include "directory/announcements.h"
#include "webview/webview.h"

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>

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

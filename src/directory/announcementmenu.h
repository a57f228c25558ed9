#pragma once

#include "directory/announcements.h"

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The menu items n1 to n6: filled from every page the notice view finishes,
// each opening in the main view the link announced together with its
// caption. Connects itself to the six actions.
class AnnouncementMenu : public QObject
{
    Q_OBJECT
public:
    explicit AnnouncementMenu(QAction *const (&n)[announcements::MenuItemCount], QObject *parent = nullptr);

    // A load in the notice view ended; body: the page's body text, if any.
    void WebBrowser2_DownloadComplete(const std::optional<QString> &body);
    // k from 1 to 6; the n1_Click ... n6_Click handlers.
    void n_Click(int k);

    // The fields of the last announcement block (NoticeFields).
    const QStringList &NoticeFields() const { return m_fields; }
    // The link item k opens; empty while the item has never been filled.
    QString link(int k) const;

Q_SIGNALS:
    void openInPlayer(const QString &url);

private:
    std::array<QPointer<QAction>, announcements::MenuItemCount> m_items;
    std::array<QString, announcements::MenuItemCount> m_links;
    QStringList m_fields;
};

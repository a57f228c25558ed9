#pragma once

#include "directory/viewmode.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class ChannelDirectory;
class ListBox;
class QMenu;
class QWidget;

// What a directory list's context menu was opened on.
struct ListMenuTarget
{
    ViewMode list = ViewMode::Tv; // Tv: List2 and the TV directory; Radio: List1 and the radio directory
    ChannelDirectory *directory = nullptr;
    int row = -1;   // the row under the mouse (from the keyboard: the selected row); -1 when none
    int entry = -1; // that row's entry index; -1 when none
    QString url;    // that entry's URL as the menu opened

    // Whether the directory still holds the entry at its index. An item runs
    // after the menu opened, and a download or an import may have replaced
    // the directory meanwhile.
    bool entryStillThere() const;
};

// Adds a subsystem's items to a menu about to open. The provider decides
// from the target which of its items fit (none at all is fine) and connects
// them itself; the items may outlive nothing but the menu.
using ListMenuProvider = std::function<void(QMenu &menu, const ListMenuTarget &target)>;

// The context menu of the directory lists: a right-click on a list (or the
// menu key while it has the focus) opens a menu made of the items of every
// registered provider, in the order the providers were added, a separator
// between one provider's items and the next. A menu without items does not
// open. A right-click never plays a row.
class ListMenu : public QObject
{
    Q_OBJECT
public:
    explicit ListMenu(QObject *parent = nullptr);

    // Opens the menu on this list box, which shows `directory`.
    void attach(ListBox &list, ChannelDirectory &directory, ViewMode which);
    void addProvider(ListMenuProvider provider);

    // The menu for the target, filled by the providers; null when none of
    // them added an item. The caller owns it.
    QMenu *makeMenu(const ListMenuTarget &target, QWidget *parent) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Attached
    {
        ListBox *list;
        ChannelDirectory *directory;
        ViewMode which;
    };

    std::vector<Attached> m_lists;
    std::vector<ListMenuProvider> m_providers;
};

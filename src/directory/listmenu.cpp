#include "listmenu.h"

#include "directory/channeldirectory.h"
#include "platform/listbox.h"

#include <QContextMenuEvent>
#include <QMenu>

bool ListMenuTarget::entryStillThere() const
{
    return directory && entry >= 0 && entry < directory->entries().count() && directory->entries().url(entry) == url;
}

ListMenu::ListMenu(QObject *parent)
    : QObject(parent)
{
}

// A right-click reaches the list's viewport, the menu key the list itself.
void ListMenu::attach(ListBox &list, ChannelDirectory &directory, ViewMode which)
{
    m_lists.push_back({&list, &directory, which});
    list.installEventFilter(this);
    list.viewport()->installEventFilter(this);
}

void ListMenu::addProvider(ListMenuProvider provider)
{
    if (provider)
        m_providers.push_back(std::move(provider));
}

QMenu *ListMenu::makeMenu(const ListMenuTarget &target, QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("listMenu"));
    for (const ListMenuProvider &provide : m_providers) {
        if (!menu->isEmpty() && !menu->actions().constLast()->isSeparator())
            menu->addSeparator();
        provide(*menu, target);
    }
    if (!menu->isEmpty() && menu->actions().constLast()->isSeparator())
        menu->removeAction(menu->actions().constLast());
    if (menu->isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu;
}

bool ListMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ContextMenu)
        return false;
    for (const Attached &attached : m_lists) {
        ListBox *list = attached.list;
        if (watched != list && watched != list->viewport())
            continue;
        const auto *request = static_cast<QContextMenuEvent *>(event);
        ListMenuTarget target{attached.which, attached.directory};
        QPoint at = request->globalPos();
        if (request->reason() == QContextMenuEvent::Mouse) {
            const QPoint inViewport = list->viewport()->mapFromGlobal(at);
            target.row = list->indexAt(inViewport).row();
        } else {
            target.row = list->ListIndex();
            if (target.row >= 0)
                at = list->viewport()->mapToGlobal(list->visualRect(list->model()->index(target.row, 0)).center());
        }
        const QList<int> &rows = attached.directory->rows();
        if (target.row >= 0 && target.row < rows.size()) {
            target.entry = rows.at(target.row);
            target.url = attached.directory->entries().url(target.entry).toString();
        } else {
            target.row = -1;
        }
        if (QMenu *menu = makeMenu(target, list)) {
            // Deleted once back in the event loop, after the chosen item ran.
            connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
            menu->popup(at);
        }
        return true;
    }
    return false;
}

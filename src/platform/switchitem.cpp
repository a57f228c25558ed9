#include "switchitem.h"

#include <QAction>
#include <QMenuBar>

QAction *addSwitchItem(QMenuBar *bar, const QString &objectName, const QString &caption)
{
    QAction *item = bar->addAction(caption);
    item->setObjectName(objectName);
    item->setCheckable(true);
    QObject::connect(item, &QAction::toggled, item,
                     [item, caption](bool on) { item->setText(on ? caption + QStringLiteral("√") : caption); });
    return item;
}

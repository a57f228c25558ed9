#pragma once

#include <QString>

class QAction;
class QMenuBar;

// Adds a menu-bar item that switches something on and off. It is checkable,
// and its caption carries "√" while it is on ("快速选台" / "快速选台√").
QAction *addSwitchItem(QMenuBar *bar, const QString &objectName, const QString &caption);

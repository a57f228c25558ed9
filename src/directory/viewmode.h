#pragma once

#include <QtGlobal>

// The main window's view mode (ListMode): the player alone, the player beside
// the TV list (List2), or the player beside the radio list (List1).
enum class ViewMode : qint16 { PlayerOnly = 0, Tv = 1, Radio = 2 };

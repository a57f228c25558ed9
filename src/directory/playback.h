#pragma once

#include <QStringList>

class ListBox;
class WebView;

// Plays the selected row of a directory's list box: navigates the player to
// the working URL at the row's index. Does nothing for an empty list, no
// selection, an empty row text or a row without a working URL.
void playSelectedRow(const ListBox &list, const QStringList &workingUrls, WebView &player);

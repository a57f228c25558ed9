#include "playback.h"

#include "platform/listbox.h"
#include "webview/webview.h"

void playSelectedRow(const ListBox &list, const QStringList &workingUrls, WebView &player)
{
    if (list.ListCount() == 0)
        return;
    const int row = list.ListIndex();
    if (list.List(row).isEmpty())
        return;
    if (row >= workingUrls.size())
        return;
    player.Navigate(workingUrls.at(row));
}

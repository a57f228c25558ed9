#pragma once

#include "directory/directoryimport.h"

#include <QObject>
#include <QString>

class FavouriteChannels;
class GuideView;
class ListMenu;
class QuickSelect;
class StartupSchedule;
class WebView;

// What the window offers on its two channel lists besides showing them: the
// lists' context menu, favourites, recents and zapping, the playlist
// commands and the program guide, wired to each other. The context menu
// shows the favourites' items first, then the playlist's, then the guide's.
// A row that quick select chooses plays the way a clicked row does.
class ChannelFeatures : public QObject
{
    Q_OBJECT
public:
    // A directory, the list box showing it and the file it is kept in.
    using List = DirectoryImport::Directory;

    // dataFolder: where favourites, recents and the guide are kept.
    // serviceHost: the service's main host. window: where dialogs show.
    ChannelFeatures(const List &tv, const List &radio, WebView &player, StartupSchedule &schedule,
                    QuickSelect &quickSelect, const QString &dataFolder, const QString &serviceHost,
                    QWidget &window, QObject *parent = nullptr);

    // Every channel played from the lists, quick select, the recents or the
    // keys goes out through its play().
    FavouriteChannels &favourites() const { return *m_favourites; }
    // The playlist given on the command line, a file or an address.
    void importAtStart(const QString &fileOrUrl);
    // The player was told to play this address.
    void channelStarted(const QString &url);

private:
    ListMenu *m_menu;
    FavouriteChannels *m_favourites;
    DirectoryImport *m_import;
    GuideView *m_guide;
};

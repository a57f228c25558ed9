#include "channelfeatures.h"

#include "directory/channeldirectory.h"
#include "directory/listmenu.h"
#include "directory/startupschedule.h"
#include "favourites/favouritechannels.h"
#include "guide/guideview.h"
#include "quickselect/quickselect.h"
#include "webview/webview.h"

ChannelFeatures::ChannelFeatures(const List &tv, const List &radio, WebView &player, StartupSchedule &schedule,
                                 QuickSelect &quickSelect, const QString &dataFolder, const QString &serviceHost,
                                 QWidget &window, QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("channelFeatures"));
    // Each subsystem adds its items to the lists' context menu through it,
    // in the order they are made here.
    m_menu = new ListMenu(this);
    m_menu->attach(tv.list, tv.directory, ViewMode::Tv);
    m_menu->attach(radio.list, radio.directory, ViewMode::Radio);
    m_favourites = new FavouriteChannels(dataFolder, *m_menu, player, this);
    m_favourites->attach(tv.list, tv.directory, radio.list, radio.directory);
    m_import = new DirectoryImport(tv, radio, window, this);
    m_menu->addProvider(m_import->menuItems());
    m_guide = new GuideView({tv.directory, tv.list}, {radio.directory, radio.list}, player, *m_menu, schedule,
                            dataFolder, serviceHost, this);

    connect(&quickSelect, &QuickSelect::play, m_favourites, &FavouriteChannels::playRow);
    // The guide, connected above, hears of the finished start-up first; then
    // the last channel plays.
    connect(&schedule, &StartupSchedule::finished, m_favourites, &FavouriteChannels::startUpFinished);
}

void ChannelFeatures::importAtStart(const QString &fileOrUrl)
{
    m_import->importAtStart(fileOrUrl);
}

void ChannelFeatures::channelStarted(const QString &url)
{
    m_guide->channelStarted(url);
}

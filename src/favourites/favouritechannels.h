#pragma once

#include "directory/viewmode.h"
#include "favourites/favouritemarks.h"
#include "favourites/recents.h"
#include "favourites/zapping.h"

#include <QObject>

#include <optional>

class ChannelDirectory;
class ListBox;
class ListMenu;
class QMenu;
class QWidget;
struct ListMenuTarget;

// Favourites, recently played channels and zapping, as the main window
// offers them:
// - the lists' context menu: 收藏 / 取消收藏, 只看收藏, 最近播放 and
//   启动时播放上次的频道;
// - with the focus in a list or on the player, PageDown / Ctrl+Down and
//   PageUp / Ctrl+Up play the next or previous row of the current rows
//   (wrapping round), Backspace the channel played before, Ctrl+D marks or
//   unmarks the selected row; other keys, and these anywhere else (the
//   quick-select box), keep their meaning; while the player shows a page,
//   PageDown, PageUp and Backspace are the page's (scrolling, editing);
// - the last channel once the start-up schedule has finished, when chosen.
// Every channel played from a list, quick select, the recents, the keys or
// at start goes out through play(), the one way the window plays a channel,
// and is remembered on the way, so that the recents and Backspace see every
// play. The playing row is kept selected and in view.
class FavouriteChannels : public QObject
{
    Q_OBJECT
public:
    // dataDir: where shoucang.txt and zuijinbofang.txt are kept (empty:
    // nowhere). Adds its items to the lists' context menu. The keys work on
    // the player and on everything inside it.
    FavouriteChannels(const QString &dataDir, ListMenu &menu, QWidget &player, QObject *parent = nullptr);

    // The list boxes show the TV and the radio directory: their rows carry
    // the stars, and a click on a row plays it.
    void attach(ListBox &tvList, ChannelDirectory &tv, ListBox &radioList, ChannelDirectory &radio);

    // The view shown; chosen: by the user, not the start-up's.
    void setViewMode(ViewMode mode, bool chosen);
    // Plays this row of an attached directory (a click, quick select).
    void playRow(const ChannelDirectory *directory, int row);
    // The start-up schedule has finished: the last channel plays, when chosen
    // and nothing has played yet.
    void startUpFinished();

    const FavouriteMarks &marks() const { return m_marks; }
    const Recents &recents() const { return m_recents; }

Q_SIGNALS:
    // The player is to play this URL (never empty).
    void play(const QString &url);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Side
    {
        ListBox *list = nullptr;
        ChannelDirectory *directory = nullptr;
    };

    void attach(ListBox &list, ChannelDirectory &directory, DirectoryKind kind);
    Side &side(DirectoryKind kind) { return m_sides[int(kind)]; }
    DirectoryKind currentKind() const;
    std::optional<DirectoryKind> keysFor(QObject *receiver, bool pageKey) const;
    bool showsPage() const;
    void press(RemoteKey key, DirectoryKind kind);
    void zap(DirectoryKind kind, RemoteKey key);
    void playAt(DirectoryKind kind, int row);
    void playEntry(const PlayedEntry &entry);
    int rowOf(DirectoryKind kind, const QString &url) const;
    void select(DirectoryKind kind, int row);
    void selectPlaying(DirectoryKind kind);
    void addMarkItems(QMenu &menu, const ListMenuTarget &target);
    void addPlayedItems(QMenu &menu, const ListMenuTarget &target);

    FavouriteMarks m_marks;
    Recents m_recents;
    ZapHistory m_zap;
    Side m_sides[2];
    QWidget *m_player = nullptr;
    ViewMode m_mode = ViewMode::Tv;
};

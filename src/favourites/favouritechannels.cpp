#include "favouritechannels.h"

#include "directory/channeldirectory.h"
#include "directory/listmenu.h"
#include "platform/artwork.h"
#include "platform/listbox.h"
#include "player/playerview.h"
#include "player/streamurl.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>

namespace {

constexpr int kItemLength = 40; // characters of a name in the recents menu
constexpr int kTipLength = 300; // characters of a URL in its tip

DirectoryKind kindOf(ViewMode list) { return list == ViewMode::Radio ? DirectoryKind::Radio : DirectoryKind::Tv; }

// An entry's name: its row text after the number and the full stop.
QString nameOf(const ChannelEntries &entries, int entry)
{
    const QStringView row = entries.rowText(entry);
    return row.sliced(row.indexOf(u'.') + 1).toString();
}

// At most `length` characters on one line, an ellipsis where cut.
QString shortened(QString text, int length)
{
    if (text.size() > length) {
        const int keep = text.at(length - 2).isHighSurrogate() ? length - 2 : length - 1;
        text = text.left(keep) + u'…';
    }
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return text;
}

// A recent entry in the menu of a list: its name (its URL when it has none),
// and the directory it comes from when that is the other one.
QString recentItemText(const PlayedEntry &entry, DirectoryKind list)
{
    QString text = shortened(entry.name.isEmpty() ? entry.url : entry.name, kItemLength);
    text.replace(u'&', QStringLiteral("&&"));
    if (entry.directory != list)
        text += entry.directory == DirectoryKind::Radio ? QStringLiteral("（广播）") : QStringLiteral("（电视）");
    return text;
}

// Also across a window of its own (the player in full screen).
bool inside(const QWidget *widget, const QWidget *ancestor)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget == ancestor)
            return true;
    }
    return false;
}

} // namespace

FavouriteChannels::FavouriteChannels(const QString &dataDir, ListMenu &menu, QWidget &player, QObject *parent)
    : QObject(parent)
    , m_marks(dataDir)
    , m_recents(dataDir)
    , m_player(&player)
{
    setObjectName(QStringLiteral("favouriteChannels"));
    menu.addProvider([this](QMenu &m, const ListMenuTarget &target) { addMarkItems(m, target); });
    menu.addProvider([this](QMenu &m, const ListMenuTarget &target) { addPlayedItems(m, target); });
    // A key goes to the widget with the focus, which may lie deep inside the
    // player; the application sees it first.
    QCoreApplication::instance()->installEventFilter(this);
}

void FavouriteChannels::attach(ListBox &tvList, ChannelDirectory &tv, ListBox &radioList, ChannelDirectory &radio)
{
    attach(tvList, tv, DirectoryKind::Tv);
    attach(radioList, radio, DirectoryKind::Radio);
}

void FavouriteChannels::attach(ListBox &list, ChannelDirectory &directory, DirectoryKind kind)
{
    side(kind) = {&list, &directory};
    // A star as high as a capital letter keeps the rows nearly as high as
    // they were (the style adds a margin round any picture).
    const int size = list.fontMetrics().ascent();
    list.setIconSize(QSize(size, size));
    QPixmap blank(size, size);
    blank.fill(Qt::transparent);
    m_marks.attach(directory, kind, QVariant::fromValue(artwork::starIcon()), QVariant::fromValue(QIcon(blank)));
    connect(&list, &ListBox::Click, this, [this, kind] { playAt(kind, side(kind).list->ListIndex()); });
}

void FavouriteChannels::setViewMode(ViewMode mode, bool chosen)
{
    m_mode = mode;
    if (chosen && mode != ViewMode::PlayerOnly)
        m_recents.setLastView(kindOf(mode));
}

// In the player-only view the keys go on with the list shown last.
DirectoryKind FavouriteChannels::currentKind() const
{
    return m_mode == ViewMode::PlayerOnly ? m_recents.lastView() : kindOf(m_mode);
}

void FavouriteChannels::playRow(const ChannelDirectory *directory, int row)
{
    for (const DirectoryKind kind : {DirectoryKind::Tv, DirectoryKind::Radio}) {
        if (side(kind).directory == directory)
            playAt(kind, row);
    }
}

void FavouriteChannels::playAt(DirectoryKind kind, int row)
{
    const Side &s = side(kind);
    const QString url = s.directory->urlAt(row);
    if (url.isEmpty())
        return;
    select(kind, row);
    playEntry({kind, nameOf(s.directory->entries(), s.directory->rows().at(row)), url});
}

// Selects the entry's row unless the selected row plays it already (a click
// on one of two rows with the same URL keeps its row).
void FavouriteChannels::playEntry(const PlayedEntry &entry)
{
    if (entry.url.isEmpty())
        return;
    m_recents.played(entry);
    m_zap.played(entry);
    const Side &s = side(entry.directory);
    if (s.list && s.directory->urlAt(s.list->ListIndex()) != entry.url) {
        const int row = rowOf(entry.directory, entry.url);
        if (row >= 0)
            select(entry.directory, row);
    }
    Q_EMIT play(entry.url);
}

void FavouriteChannels::startUpFinished()
{
    if (m_zap.current())
        return; // the user has chosen a channel meanwhile
    if (const std::optional<PlayedEntry> entry = m_recents.startEntry())
        playEntry(*entry);
}

int FavouriteChannels::rowOf(DirectoryKind kind, const QString &url) const
{
    const ChannelDirectory *directory = m_sides[int(kind)].directory;
    if (!directory || url.isEmpty())
        return -1;
    const QList<int> &rows = directory->rows();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (directory->entries().url(rows.at(r)) == url)
            return int(r);
    }
    return -1;
}

void FavouriteChannels::select(DirectoryKind kind, int row)
{
    ListBox *list = side(kind).list;
    list->setListIndex(row);
    if (row >= 0)
        list->scrollTo(list->model()->index(row, 0));
}

void FavouriteChannels::selectPlaying(DirectoryKind kind)
{
    const int row = m_zap.current() ? rowOf(kind, m_zap.current()->url) : -1;
    if (row >= 0)
        select(kind, row);
}

// pageKey: a key a page uses itself (the zapping keys without Ctrl).
std::optional<DirectoryKind> FavouriteChannels::keysFor(QObject *receiver, bool pageKey) const
{
    if (!receiver->isWidgetType())
        return std::nullopt;
    const auto *widget = static_cast<QWidget *>(receiver);
    // A menu opened over a list or the player keeps its keys.
    if (widget->window()->windowType() == Qt::Popup)
        return std::nullopt;
    for (const DirectoryKind kind : {DirectoryKind::Tv, DirectoryKind::Radio}) {
        if (m_sides[int(kind)].list && inside(widget, m_sides[int(kind)].list))
            return kind;
    }
    if (m_player && inside(widget, m_player) && !(showsPage() && pageKey))
        return currentKind();
    return std::nullopt;
}

// A page in the player scrolls with PageUp / PageDown and deletes with
// Backspace in its text fields; a blank player or a stream has no use for
// them. A view that is no player view is taken as playing.
bool FavouriteChannels::showsPage() const
{
    const auto *view = qobject_cast<const PlayerView *>(m_player);
    if (!view || view->isStreaming())
        return false;
    const QString url = view->LocationURL();
    return !url.isEmpty() && !streamurl::isBlank(url);
}

bool FavouriteChannels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const RemoteKey what = remoteKey(key->key(), key->modifiers());
    if (what == RemoteKey::None)
        return false;
    const std::optional<DirectoryKind> kind = keysFor(watched, !(key->modifiers() & Qt::ControlModifier));
    if (!kind)
        return false;
    press(what, *kind);
    return true;
}

void FavouriteChannels::press(RemoteKey key, DirectoryKind kind)
{
    const Side &s = side(kind);
    switch (key) {
    case RemoteKey::Next:
    case RemoteKey::Previous:
        zap(kind, key);
        break;
    case RemoteKey::Back:
        if (const std::optional<PlayedEntry> back = m_zap.previous())
            playEntry(*back);
        break;
    case RemoteKey::Mark:
        m_marks.toggle(kind, s.directory->urlAt(s.list->ListIndex()));
        break;
    case RemoteKey::None:
        break;
    }
}

// From the selected row, else from the playing one; rows without a URL are
// passed over.
void FavouriteChannels::zap(DirectoryKind kind, RemoteKey key)
{
    const Side &s = side(kind);
    int row = s.list->ListIndex();
    if (row < 0 && m_zap.current())
        row = rowOf(kind, m_zap.current()->url);
    const QList<int> &rows = s.directory->rows();
    for (qsizetype tries = 0; tries < rows.size(); ++tries) {
        row = key == RemoteKey::Next ? nextRow(row, int(rows.size())) : previousRow(row, int(rows.size()));
        if (!s.directory->entries().url(rows.at(row)).isEmpty()) {
            playAt(kind, row);
            return;
        }
    }
}

void FavouriteChannels::addMarkItems(QMenu &menu, const ListMenuTarget &target)
{
    const DirectoryKind kind = kindOf(target.list);
    if (target.row >= 0 && !target.url.isEmpty()) {
        const bool marked = m_marks.isFavourite(kind, target.url);
        QAction *mark = menu.addAction(marked ? QStringLiteral("取消收藏") : QStringLiteral("收藏"));
        mark->setObjectName(QStringLiteral("shoucang"));
        // Marks are kept by URL: the one clicked is meant even if the
        // directory has been replaced since.
        connect(mark, &QAction::triggered, this, [this, kind, url = target.url] { m_marks.toggle(kind, url); });
    }
    QAction *only = menu.addAction(QStringLiteral("只看收藏"));
    only->setObjectName(QStringLiteral("zhikanshoucang"));
    only->setCheckable(true);
    only->setChecked(m_marks.favouritesOnly(kind));
    connect(only, &QAction::toggled, this, [this, kind](bool on) {
        m_marks.setFavouritesOnly(kind, on);
        selectPlaying(kind);
    });
}

void FavouriteChannels::addPlayedItems(QMenu &menu, const ListMenuTarget &target)
{
    QMenu *recent = menu.addMenu(QStringLiteral("最近播放"));
    recent->setObjectName(QStringLiteral("zuijinbofang"));
    recent->setToolTipsVisible(true);
    for (const PlayedEntry &entry : m_recents.entries()) {
        QAction *item = recent->addAction(recentItemText(entry, kindOf(target.list)));
        item->setToolTip(shortened(entry.url, kTipLength));
        connect(item, &QAction::triggered, this, [this, entry] { playEntry(entry); });
    }
    recent->setEnabled(!recent->isEmpty());
    QAction *start = menu.addAction(QStringLiteral("启动时播放上次的频道"));
    start->setObjectName(QStringLiteral("qidongbofang"));
    start->setCheckable(true);
    start->setChecked(m_recents.playLastAtStart());
    connect(start, &QAction::toggled, this, [this](bool on) { m_recents.setPlayLastAtStart(on); });
}

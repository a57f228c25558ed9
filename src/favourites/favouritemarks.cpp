#include "favouritemarks.h"

#include "directory/channeldirectory.h"

FavouriteMarks::FavouriteMarks(const QString &dataDir)
    : m_favourites(dataDir)
{
}

void FavouriteMarks::attach(ChannelDirectory &directory, DirectoryKind kind, const QVariant &star,
                            const QVariant &blank)
{
    m_sides[int(kind)].directory = &directory;
    directory.setDecoration([this, kind, star, blank](int entry) {
        if (isMarked(kind, entry))
            return star;
        return m_sides[int(kind)].marked > 0 ? blank : QVariant();
    });
}

// The entry lines and the URLs are made together, so the lines' serial names
// the URLs too.
void FavouriteMarks::follow(Side &side, DirectoryKind kind)
{
    const ChannelEntries &entries = side.directory->entries();
    const quint64 serial = entries.lines().serial();
    if (serial == side.serial && side.bits.size() == size_t(entries.count()))
        return;
    side.bits.assign(size_t(entries.count()), false);
    side.marked = 0;
    for (int i = 0; i < entries.count() && m_favourites.count(kind) > 0; ++i) {
        const bool marked = m_favourites.contains(kind, entries.url(i));
        side.bits[size_t(i)] = marked;
        side.marked += marked ? 1 : 0;
    }
    side.serial = serial;
}

bool FavouriteMarks::isMarked(DirectoryKind kind, int entry)
{
    Side &side = m_sides[int(kind)];
    follow(side, kind);
    return entry >= 0 && size_t(entry) < side.bits.size() && side.bits[size_t(entry)];
}

QList<int> FavouriteMarks::keepMarked(DirectoryKind kind, const QList<int> &rows)
{
    Side &side = m_sides[int(kind)];
    follow(side, kind);
    QList<int> kept;
    for (const int entry : rows) {
        if (entry >= 0 && size_t(entry) < side.bits.size() && side.bits[size_t(entry)])
            kept.append(entry);
    }
    return kept;
}

bool FavouriteMarks::toggle(DirectoryKind kind, const QString &url)
{
    if (url.isEmpty())
        return false;
    const bool marked = m_favourites.toggle(kind, url);
    Side &side = m_sides[int(kind)];
    if (!side.directory)
        return marked;
    follow(side, kind);
    const ChannelEntries &entries = side.directory->entries();
    for (int i = 0; i < entries.count(); ++i) {
        if (side.bits[size_t(i)] != marked && entries.url(i) == url) {
            side.bits[size_t(i)] = marked;
            side.marked += marked ? 1 : -1;
        }
    }
    side.directory->decorationsChanged();
    if (side.only)
        side.directory->narrowAgain();
    return marked;
}

void FavouriteMarks::setFavouritesOnly(DirectoryKind kind, bool on)
{
    Side &side = m_sides[int(kind)];
    if (!side.directory || side.only == on)
        return;
    side.only = on;
    if (on)
        side.directory->setNarrowing([this, kind](const QList<int> &rows) { return keepMarked(kind, rows); });
    else
        side.directory->setNarrowing({});
}

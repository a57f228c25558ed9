#pragma once

#include "favourites/favourites.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <vector>

class ChannelDirectory;
class ChannelEntries;

// The favourites as the directories show them: every favourite's row carries
// the star as its decoration, and a directory may show only its favourites.
// Which entries are favourites is kept as one bit per entry, so that a row's
// star and the favourites-only rows cost a bit test per row rather than a
// look-up of the URL. The bits follow the entries (made afresh once the
// directory holds other entries: a refresh, an import, a shorter list) and
// the marks (mended for the one URL marked or unmarked).
class FavouriteMarks
{
public:
    // dataDir: where shoucang.txt is kept (empty: nowhere).
    explicit FavouriteMarks(const QString &dataDir);
    FavouriteMarks(const FavouriteMarks &) = delete;
    FavouriteMarks &operator=(const FavouriteMarks &) = delete;

    // The directory's rows show `star` beside this kind's favourites, and
    // `blank` (as wide as the star, so that every row's text starts at the
    // same place) beside the other rows while any row is starred. The
    // directory must outlive the marks.
    void attach(ChannelDirectory &directory, DirectoryKind kind, const QVariant &star, const QVariant &blank);

    bool isFavourite(DirectoryKind kind, QStringView url) const { return m_favourites.contains(kind, url); }
    // Marks or unmarks the URL; the stars follow, and so do the rows while
    // only favourites are shown. Returns whether it is a favourite now.
    bool toggle(DirectoryKind kind, const QString &url);

    bool favouritesOnly(DirectoryKind kind) const { return m_sides[int(kind)].only; }
    // Shows only the favourites among the rows set, or every row set again.
    void setFavouritesOnly(DirectoryKind kind, bool on);

    const Favourites &favourites() const { return m_favourites; }

private:
    struct Side
    {
        ChannelDirectory *directory = nullptr;
        bool only = false;
        quint64 serial = 0; // of the entry lines the bits were made for; 0: none
        std::vector<bool> bits;
        int marked = 0; // bits set
    };

    void follow(Side &side, DirectoryKind kind);
    bool isMarked(DirectoryKind kind, int entry);
    QList<int> keepMarked(DirectoryKind kind, const QList<int> &rows);

    Favourites m_favourites;
    Side m_sides[2];
};

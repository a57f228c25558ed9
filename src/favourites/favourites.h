#pragma once

#include "favourites/keptfile.h"
#include "favourites/playedentry.h"
#include "favourites/urlset.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

inline constexpr char FavouritesFileName[] = "shoucang.txt";

// The user's favourites, kept by URL, each directory on its own. The marks
// do not depend on the entries a directory holds now: a refresh, an import or
// a shorter list never removes one, and an entry whose URL comes back later
// is a favourite again. URLs are compared exactly as they stand; an empty URL
// is never a favourite.
//
// Kept in the file shoucang.txt in the data folder, read when made and
// rewritten atomically on every change (see KeptFile). With an empty data
// folder the marks live in memory for this run only.
class Favourites
{
public:
    explicit Favourites(const QString &dataDir = QString());

    bool contains(DirectoryKind directory, QStringView url) const;
    // Marks or unmarks the URL; writes the file when that changes anything.
    void setFavourite(DirectoryKind directory, const QString &url, bool favourite);
    // Reverses the mark; returns whether the URL is a favourite now.
    bool toggle(DirectoryKind directory, const QString &url);

    int count(DirectoryKind directory) const;
    // The favourite URLs, in the order they were marked.
    QStringList urls(DirectoryKind directory) const;

    // The entries 0 .. count-1 that are favourites, in directory order;
    // urlAt(i) gives the URL of entry i as a QStringView.
    template <typename UrlAt>
    QList<int> favouriteEntries(DirectoryKind directory, int count, UrlAt urlAt) const
    {
        QList<int> found;
        for (int i = 0; i < count && !marksOf(directory).isEmpty(); ++i) {
            if (contains(directory, urlAt(i)))
                found.append(i);
        }
        return found;
    }
    // Those of `entries` that are favourites, in their order (for example the
    // quick-select matches while only favourites are shown).
    template <typename UrlAt>
    QList<int> keepFavourites(DirectoryKind directory, const QList<int> &entries, UrlAt urlAt) const
    {
        QList<int> kept;
        for (qsizetype k = 0; k < entries.size() && !marksOf(directory).isEmpty(); ++k) {
            if (contains(directory, urlAt(entries[k])))
                kept.append(entries[k]);
        }
        return kept;
    }

private:
    UrlSet &marksOf(DirectoryKind directory) { return m_marks[int(directory)]; }
    const UrlSet &marksOf(DirectoryKind directory) const { return m_marks[int(directory)]; }
    void load();
    void save();

    UrlSet m_marks[2];
    KeptFile m_file;
};

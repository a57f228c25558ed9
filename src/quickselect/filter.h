#pragma once

#include "quickselect/channeltables.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The quick-select filter over one directory, without any widget.
//
// The filter key is the typed text without spaces (U+0020 only) at either
// end, upper-cased. An empty key restores the whole directory; any other key
// keeps, in directory order, every entry whose entry line contains the key
// (exact comparison of UTF-16 code units). Every entry of the master tables is
// examined, also those with an empty URL.

QString filterKey(const QString &text);

// What the list box and the working tables get: row r of the list box is
// Line[r], and Url[r] is the URL of the same entry.
struct FilterResult
{
    QStringList Url;
    QStringList Line;

    int count() const { return int(Line.size()); }
};

// Indexes of the master entries whose entry line contains the non-empty key,
// by a plain scan of every line.
QList<int> scanEntries(const QStringList &lineAll, const QString &key);

// The result for the typed text, computed by a plain scan of the master tables.
FilterResult filterEntries(const ChannelTables &tables, const QString &text);

// The same result as filterEntries, computed fast enough for every keystroke
// over hundreds of thousands of entries: the master entry lines are searched
// as one text, and a key that contains a recently used key only re-examines
// that key's matches. The cache follows the master tables: when they change,
// it is rebuilt on the next call.
class ChannelFilter
{
public:
    ChannelFilter();
    ~ChannelFilter();
    ChannelFilter(const ChannelFilter &) = delete;
    ChannelFilter &operator=(const ChannelFilter &) = delete;

    FilterResult apply(const ChannelTables &tables, const QString &text);
    // Prepares the search text for these master tables ahead of the first key.
    void prepare(const ChannelTables &tables);

private:
    struct Cache;
    QList<int> matches(const ChannelTables &tables, const QString &key);
    std::unique_ptr<Cache> m_cache;
};

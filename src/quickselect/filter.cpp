#include "filter.h"

#include <QStringView>

#include <algorithm>
#include <deque>
#include <vector>

namespace {

// Joins the entry lines into one search text. Entry lines never hold a line
// break (the list files are split at them), and a key that holds one falls
// back to the plain scan, so a match never spans two lines.
constexpr char16_t kSeparator = u'\n';
// Enough recent keys for a name typed letter by letter and erased again.
constexpr size_t kRecentKeys = 16;
// The character counts only choose which key character to look for first;
// every seventh character is a fair sample.
constexpr qsizetype kSampleStride = 7;

QString urlAt(const ChannelTables &tables, qsizetype i)
{
    return i < tables.UrlAll.size() ? tables.UrlAll.at(i) : QString();
}

// The whole directory, sharing the master tables where they are in step.
FilterResult wholeDirectory(const ChannelTables &tables)
{
    if (tables.UrlAll.size() == tables.LineAll.size())
        return {tables.UrlAll, tables.LineAll};
    FilterResult result;
    result.Line = tables.LineAll;
    result.Url = tables.UrlAll.mid(0, tables.LineAll.size());
    while (result.Url.size() < result.Line.size())
        result.Url.append(QString());
    return result;
}

// Copies the chosen entries into fresh tables. Filled in place rather than
// appended: at a hundred thousand matches every call per entry shows.
FilterResult entriesAt(const ChannelTables &tables, const QList<int> &indexes)
{
    if (indexes.size() == tables.LineAll.size())
        return wholeDirectory(tables);
    const qsizetype count = indexes.size();
    FilterResult result;
    result.Url.resize(count);
    result.Line.resize(count);
    QString *url = result.Url.data();
    QString *line = result.Line.data();
    const QString *urlAll = tables.UrlAll.constData();
    const QString *lineAll = tables.LineAll.constData();
    const qsizetype urlCount = tables.UrlAll.size();
    for (qsizetype r = 0; r < count; ++r) {
        const int i = indexes.at(r);
        line[r] = lineAll[i];
        if (i < urlCount)
            url[r] = urlAll[i];
    }
    return result;
}

} // namespace

QString filterKey(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    // Character by character: full case mapping would turn one character
    // into two ("ß" into "SS") and change the key.
    QString key = text.mid(begin, end - begin);
    for (QChar &ch : key)
        ch = ch.toUpper();
    return key;
}

QList<int> scanEntries(const QStringList &lineAll, const QString &key)
{
    QList<int> indexes;
    for (qsizetype i = 0; i < lineAll.size(); ++i) {
        if (lineAll.at(i).contains(key))
            indexes.append(int(i));
    }
    return indexes;
}

FilterResult filterEntries(const ChannelTables &tables, const QString &text)
{
    const QString key = filterKey(text);
    if (key.isEmpty())
        return wholeDirectory(tables);
    return entriesAt(tables, scanEntries(tables.LineAll, key));
}

struct ChannelFilter::Cache
{
    struct Recent
    {
        QString key;
        QList<int> indexes;
    };

    // The master entry lines this cache was built from; holding them keeps
    // their data alive, so unchanged lines are recognised by their data alone.
    // The matches depend on nothing else.
    QStringList lineAll;
    QString text;
    std::vector<qsizetype> starts; // line i is text[starts[i], starts[i + 1] - 1)
    std::vector<quint32> counts;
    std::deque<Recent> recent;

    explicit Cache(const ChannelTables &tables);
    bool follows(const ChannelTables &tables);
    QStringView line(int i) const { return QStringView(text).sliced(starts[i], starts[i + 1] - 1 - starts[i]); }
    qsizetype rarestPosition(const QString &key) const;
    QList<int> search(const QString &key) const;
    QList<int> narrow(const QList<int> &candidates, const QString &key) const;
    const Recent *bestStart(const QString &key) const;
    void remember(const QString &key, const QList<int> &indexes);
};

ChannelFilter::Cache::Cache(const ChannelTables &tables)
    : lineAll(tables.LineAll)
{
    qsizetype total = 0;
    for (const QString &l : lineAll)
        total += l.size() + 1;
    text.reserve(total);
    starts.reserve(size_t(lineAll.size()) + 1);
    for (const QString &l : lineAll) {
        starts.push_back(text.size());
        text.append(l);
        text.append(QChar(kSeparator));
    }
    starts.push_back(text.size());
    if (!text.isEmpty())
        text.chop(1);
    counts.assign(0x10000, 0);
    for (qsizetype i = 0; i < text.size(); i += kSampleStride)
        ++counts[text.at(i).unicode()];
}

bool ChannelFilter::Cache::follows(const ChannelTables &tables)
{
    if (lineAll != tables.LineAll)
        return false;
    // Equal lines in a new list: share it so that the next check is quick.
    lineAll = tables.LineAll;
    return true;
}

qsizetype ChannelFilter::Cache::rarestPosition(const QString &key) const
{
    qsizetype best = 0;
    for (qsizetype i = 1; i < key.size(); ++i) {
        if (counts[key.at(i).unicode()] < counts[key.at(best).unicode()])
            best = i;
    }
    return best;
}

// Looks for the key's rarest character through the whole text and checks the
// key around each hit; after a match the search goes on at the next line.
QList<int> ChannelFilter::Cache::search(const QString &key) const
{
    if (key.contains(QChar(kSeparator)))
        return scanEntries(lineAll, key);
    const QStringView all(text);
    const qsizetype anchor = rarestPosition(key);
    const QChar anchorChar = key.at(anchor);
    const qsizetype length = key.size();
    QList<int> indexes;
    int lineIndex = 0;
    qsizetype from = anchor;
    while (from < all.size()) {
        const qsizetype hit = all.indexOf(anchorChar, from);
        if (hit < 0)
            break;
        const qsizetype start = hit - anchor;
        if (start + length > all.size() || all.sliced(start, length) != key) {
            from = hit + 1;
            continue;
        }
        while (starts[size_t(lineIndex) + 1] <= start)
            ++lineIndex;
        indexes.append(lineIndex);
        from = starts[size_t(lineIndex) + 1] + anchor;
    }
    return indexes;
}

QList<int> ChannelFilter::Cache::narrow(const QList<int> &candidates, const QString &key) const
{
    QList<int> indexes;
    for (const int i : candidates) {
        if (line(i).contains(key))
            indexes.append(i);
    }
    return indexes;
}

// A line that contains the key contains every piece of it, so the matches of
// a recent key that is part of this one hold all of this key's matches.
const ChannelFilter::Cache::Recent *ChannelFilter::Cache::bestStart(const QString &key) const
{
    const Recent *best = nullptr;
    for (const Recent &r : recent) {
        if (!key.contains(r.key))
            continue;
        if (!best || r.indexes.size() < best->indexes.size())
            best = &r;
    }
    return best;
}

void ChannelFilter::Cache::remember(const QString &key, const QList<int> &indexes)
{
    recent.erase(std::remove_if(recent.begin(), recent.end(), [&](const Recent &r) { return r.key == key; }),
                 recent.end());
    recent.push_front({key, indexes});
    if (recent.size() > kRecentKeys)
        recent.pop_back();
}

ChannelFilter::ChannelFilter() = default;
ChannelFilter::~ChannelFilter() = default;

void ChannelFilter::prepare(const ChannelTables &tables)
{
    if (!m_cache || !m_cache->follows(tables))
        m_cache = std::make_unique<Cache>(tables);
}

QList<int> ChannelFilter::matches(const ChannelTables &tables, const QString &key)
{
    prepare(tables);
    Cache &cache = *m_cache;
    const Cache::Recent *start = cache.bestStart(key);
    QList<int> indexes;
    if (!start)
        indexes = cache.search(key);
    else if (start->key == key)
        indexes = start->indexes;
    else
        indexes = cache.narrow(start->indexes, key);
    cache.remember(key, indexes);
    return indexes;
}

FilterResult ChannelFilter::apply(const ChannelTables &tables, const QString &text)
{
    const QString key = filterKey(text);
    if (key.isEmpty())
        return wholeDirectory(tables);
    return entriesAt(tables, matches(tables, key));
}

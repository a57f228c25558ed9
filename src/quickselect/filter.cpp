#include "filter.h"

#include <QStringView>

#include <algorithm>
#include <numeric>

namespace {

// Enough recent keys for a name typed letter by letter and erased again.
constexpr size_t kRecentKeys = 16;
// The character counts only choose which key character to look for first;
// every seventh character is a fair sample.
constexpr qsizetype kSampleStride = 7;

QList<int> everyEntry(const LineTable &lines)
{
    QList<int> all(lines.count());
    std::iota(all.begin(), all.end(), 0);
    return all;
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

QList<int> scanEntries(const LineTable &lines, const QString &key)
{
    QList<int> indexes;
    for (int i = 0; i < lines.count(); ++i) {
        if (lines.at(i).contains(key))
            indexes.append(i);
    }
    return indexes;
}

QList<int> filterEntries(const LineTable &lines, const QString &text)
{
    const QString key = filterKey(text);
    return key.isEmpty() ? everyEntry(lines) : scanEntries(lines, key);
}

void ChannelFilter::prepare(const LineTable &lines)
{
    if (m_serial == lines.serial() && !m_counts.empty())
        return;
    m_recent.clear();
    m_counts.assign(0x10000, 0);
    const QString &text = lines.text();
    for (qsizetype i = 0; i < text.size(); i += kSampleStride)
        ++m_counts[text.at(i).unicode()];
    m_serial = lines.serial();
}

qsizetype ChannelFilter::rarestPosition(const QString &key) const
{
    qsizetype best = 0;
    for (qsizetype i = 1; i < key.size(); ++i) {
        if (m_counts[key.at(i).unicode()] < m_counts[key.at(best).unicode()])
            best = i;
    }
    return best;
}

// Looks for the key's rarest character through the whole text and checks the
// key around each hit; after a match the search goes on at the next line.
// Lines hold no line feed, so a key without one never matches across lines.
QList<int> ChannelFilter::search(const LineTable &lines, const QString &key) const
{
    if (key.contains(QChar(LineTable::Separator)))
        return scanEntries(lines, key);
    const QStringView all(lines.text());
    const qsizetype anchor = rarestPosition(key);
    const QChar anchorChar = key.at(anchor);
    const qsizetype length = key.size();
    QList<int> indexes;
    int line = 0;
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
        while (lines.start(line + 1) <= start)
            ++line;
        indexes.append(line);
        from = lines.start(line + 1) + anchor;
    }
    return indexes;
}

// A line that contains the key contains every piece of it, so the matches of
// a recent key that is part of this one hold all of this key's matches.
const ChannelFilter::Recent *ChannelFilter::bestStart(const QString &key) const
{
    const Recent *best = nullptr;
    for (const Recent &r : m_recent) {
        if (!key.contains(r.key))
            continue;
        if (!best || r.indexes.size() < best->indexes.size())
            best = &r;
    }
    return best;
}

void ChannelFilter::remember(const QString &key, const QList<int> &indexes)
{
    m_recent.erase(std::remove_if(m_recent.begin(), m_recent.end(), [&](const Recent &r) { return r.key == key; }),
                   m_recent.end());
    m_recent.push_front({key, indexes});
    if (m_recent.size() > kRecentKeys)
        m_recent.pop_back();
}

QList<int> ChannelFilter::matches(const LineTable &lines, const QString &key)
{
    prepare(lines);
    const Recent *start = bestStart(key);
    QList<int> indexes;
    if (!start) {
        indexes = search(lines, key);
    } else if (start->key == key) {
        indexes = start->indexes;
    } else {
        for (const int i : start->indexes) {
            if (lines.at(i).contains(key))
                indexes.append(i);
        }
    }
    remember(key, indexes);
    return indexes;
}

QList<int> ChannelFilter::apply(const LineTable &lines, const QString &text)
{
    const QString key = filterKey(text);
    return key.isEmpty() ? everyEntry(lines) : matches(lines, key);
}

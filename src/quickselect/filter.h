#pragma once

#include "quickselect/linetable.h"

#include <QList>
#include <QString>

#include <deque>
#include <vector>

// The quick-select filter over the entry lines of one directory.
//
// The filter key is the typed text without spaces (U+0020 only) at either
// end, upper-cased. An empty key keeps every entry; any other key keeps, in
// directory order, every entry whose entry line contains the key (exact
// comparison of UTF-16 code units). The result is a list of entry indexes.

QString filterKey(const QString &text);

// Indexes of the entries whose line contains the non-empty key, by a plain
// scan of every line.
QList<int> scanEntries(const LineTable &lines, const QString &key);

// The result for the typed text, computed by a plain scan of every line.
QList<int> filterEntries(const LineTable &lines, const QString &text);

// The same result as filterEntries, computed fast enough for every keystroke
// over hundreds of thousands of entries: the lines are searched as one text
// for the key's rarest character, and a key that contains a recently used key
// only re-examines that key's matches. What it keeps follows the lines: for
// other lines it starts afresh.
class ChannelFilter
{
public:
    QList<int> apply(const LineTable &lines, const QString &text);
    // Counts the characters of these lines ahead of the first key.
    void prepare(const LineTable &lines);

private:
    struct Recent
    {
        QString key;
        QList<int> indexes;
    };

    QList<int> matches(const LineTable &lines, const QString &key);
    QList<int> search(const LineTable &lines, const QString &key) const;
    qsizetype rarestPosition(const QString &key) const;
    const Recent *bestStart(const QString &key) const;
    void remember(const QString &key, const QList<int> &indexes);

    quint64 m_serial = 0; // of the lines counted
    std::vector<quint32> m_counts;
    std::deque<Recent> m_recent;
};

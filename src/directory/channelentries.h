#pragma once

#include "quickselect/linetable.h"

#include <QString>
#include <QStringView>

#include <vector>

// What a directory keeps of one entry beside the texts in its tables. Fields
// an entry may carry beyond its name and URL belong here; one that most
// entries lack is best kept out of line, so that an absent field costs little.
struct ChannelEntry
{
    int rowLength = 0; // the row text is the entry line's first rowLength characters
};

// The entries of one directory, in directory order. Entry i has the entry
// number i, written with at least four digits ("0000", "0001", ... "9999",
// "10000"), its row text (number, ".", name), its entry line (row text,
// twelve spaces, pinyin initials of the name) and its URL. Every text is kept once: the
// entry lines in one text that quick select searches, the row text (and in
// it the name) as the start of the line, the URLs in a second text.
class ChannelEntries
{
public:
    // Room for the entries of a list text of this many characters, so that
    // the texts seldom grow in steps; squeeze() gives back what is left.
    void reserveFor(qsizetype listTextSize);
    // Adds the next entry; the URL is kept verbatim.
    void append(QStringView name, QStringView url);
    // Frees the room kept for further entries.
    void squeeze();

    int count() const { return m_lines.count(); }
    QStringView line(int i) const { return m_lines.at(i); }
    QStringView rowText(int i) const { return line(i).left(m_entries[size_t(i)].rowLength); }
    QStringView url(int i) const { return m_urls.at(i); }
    const LineTable &lines() const { return m_lines; }

private:
    LineTable m_lines;
    LineTable m_urls;
    std::vector<ChannelEntry> m_entries;
    QString m_initials; // scratch space of append()
};

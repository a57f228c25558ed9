#pragma once

#include "quickselect/linetable.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// What a directory keeps of one entry beside the texts in its tables. Fields
// an entry may carry beyond its name and URL belong here; one that most
// entries lack is best kept out of line, so that an absent field costs little.
struct ChannelEntry
{
    int rowLength = 0; // the row text is the entry line's first rowLength characters
};

// What a playlist may say about an entry beyond its name and URL: its group,
// logo, guide id, guide name and guide time shift.
struct EntryExtras
{
    QStringView group;
    QStringView logo;
    QStringView tvgId;
    QStringView tvgName;
    QStringView tvgShift;

    bool isEmpty() const
    {
        return group.isEmpty() && logo.isEmpty() && tvgId.isEmpty() && tvgName.isEmpty() && tvgShift.isEmpty();
    }
};

// The entries of one directory, in directory order. Entry i has the entry
// number i, written with at least four digits ("0000", "0001", ... "9999",
// "10000"), its row text (number, ".", name), its entry line (row text,
// twelve spaces, pinyin initials of the name) and its URL. Every text is kept once: the
// entry lines in one text that quick select searches, the row text (and in
// it the name) as the start of the line, the URLs in a second text. Extras
// go into a third text, made only once an entry has one: a directory
// without any costs nothing for them. (An extra longer than 65,535
// characters is not kept.)
class ChannelEntries
{
public:
    ChannelEntries() = default;
    ChannelEntries(const ChannelEntries &other);
    ChannelEntries &operator=(const ChannelEntries &other);
    ChannelEntries(ChannelEntries &&) = default;
    ChannelEntries &operator=(ChannelEntries &&) = default;

    // Room for the entries of a list text of this many characters, so that
    // the texts seldom grow in steps; squeeze() gives back what is left.
    void reserveFor(qsizetype listTextSize);
    // The same for the entries of a playlist file of this many bytes.
    void reserveForPlaylist(qsizetype playlistBytes);
    // Adds the next entry; the URL is kept verbatim.
    void append(QStringView name, QStringView url, const EntryExtras &extras = {});
    // Appends the first `limit` entries of `other` (all when it has fewer),
    // numbered on from these; their initials are not worked out again.
    void appendEntries(const ChannelEntries &other, int limit);
    // Frees the room kept for further entries.
    void squeeze();

    int count() const { return m_lines.count(); }
    QStringView line(int i) const { return m_lines.at(i); }
    QStringView rowText(int i) const { return line(i).left(m_entries[size_t(i)].rowLength); }
    // The name: the row text after the number and the full stop.
    QStringView name(int i) const;
    QStringView url(int i) const { return m_urls.at(i); }
    // Every field empty when the entry has none.
    EntryExtras extras(int i) const;
    bool hasExtras() const { return m_extras != nullptr; }
    const LineTable &lines() const { return m_lines; }
    const LineTable &urls() const { return m_urls; }

    // The programme guide the playlist named (url-tvg), if any.
    QString guideUrl() const { return m_guideUrl; }
    void setGuideUrl(const QString &url) { m_guideUrl = url; }

private:
    void appendExtras(const EntryExtras &extras);

    LineTable m_lines;
    LineTable m_urls;
    std::vector<ChannelEntry> m_entries;
    // Per entry: the five lengths, one character each, then the five texts.
    std::unique_ptr<LineTable> m_extras; // null until an entry has extras
    qsizetype m_extrasRoom = 0;          // characters to reserve for them then
    QString m_guideUrl;
    QString m_initials; // scratch space of append()
};

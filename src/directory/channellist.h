#pragma once

#include "directory/channelentries.h"

#include <QString>
#include <QStringView>

class ChannelDirectory;

// File names of the two directories in the program's directory.
inline constexpr const char *TvListFileName = "dianshibiao.ini";
inline constexpr const char *RadioListFileName = "diantaibiao.ini";

// Reads list text line by line. A line ends at LF; a CR directly before the
// LF belongs to the line end, any other CR stays in the line. Text after the
// last line end forms a last line. A text ending in a line end has no empty
// line after it when read as a file (line by line), and has one when split as
// a downloaded text (every line end separates two lines).
enum class LastLine { DropEmpty, KeepEmpty };
class ListLines
{
public:
    explicit ListLines(QStringView text, LastLine last = LastLine::DropEmpty);
    // The next line into `line`; false after the last one.
    bool next(QStringView &line);

private:
    QStringView m_text;
    qsizetype m_position = 0;
    bool m_emptyLastLine;
};

// The list file reader's rule: a pair of lines is an entry only when both
// lines are at least three characters long; skipped pairs take no number.
inline constexpr int MinimumListLineLength = 3;
ChannelEntries parseListFile(QStringView text);
// Calls take(name, url) with each pair of lines that rule takes, in order.
template<typename Take>
void forEachListFilePair(QStringView text, Take take)
{
    ListLines lines(text);
    QStringView name;
    QStringView url;
    while (lines.next(name)) {
        if (!lines.next(url))
            url = QStringView();
        if (name.size() >= MinimumListLineLength && url.size() >= MinimumListLineLength)
            take(name, url);
    }
}
// A downloaded list text: every complete pair is an entry, whatever its
// lengths; a final unpaired line is not used.
ChannelEntries parseDownloadedList(QStringView text);

// Reads a list file into the directory, whose rows then show every entry as
// its row text. The text is code page 936, with GB18030 for the characters
// the code page lacks (see decodeListFileText). When the companion playlist
// beside it belongs to it, the entries get their extras from there. A
// missing or unreadable file leaves the directory untouched.
void loadDirectory(const QString &path, ChannelDirectory &directory);

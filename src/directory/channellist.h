#pragma once

#include "quickselect/channeltables.h"

#include <QString>
#include <QStringList>

class ListBox;

// File names of the two directories in the program's directory.
inline constexpr const char *TvListFileName = "dianshibiao.ini";
inline constexpr const char *RadioListFileName = "diantaibiao.ini";

// Splits list text into lines. A line ends at LF; a CR directly before the LF
// belongs to the line end, any other CR stays in the line. Text after the last
// line end forms a last line. A text ending in a line end has no empty line
// after it when read as a file (line by line), and has one when split as a
// downloaded text (every line end separates two lines).
enum class LastLine { DropEmpty, KeepEmpty };
QStringList splitListLines(const QString &text, LastLine last = LastLine::DropEmpty);

// "0000", "0001", ... "9999", then "10000", "10001" and so on.
QString entryNumber(int n);
// Entry number, ".", name.
QString rowText(int n, const QString &name);
// Row text, twelve spaces, pinyin initials of the name.
QString entryLine(const QString &row, const QString &name);

// A directory as it will be shown: list box rows and the parallel working tables.
struct DirectoryEntries
{
    QStringList rows;
    QStringList urls;
    QStringList lines;
};

// The list file reader's rule: a pair of lines is an entry only when both
// lines are at least three characters long; skipped pairs take no number.
DirectoryEntries parseListFile(const QString &text);
// A downloaded list text: every complete pair is an entry, whatever its
// lengths; a final unpaired line is not used.
DirectoryEntries parseDownloadedList(const QString &text);

// Shows the entries in the list box, fills the working tables with them and
// copies the working tables to the master copies. The tables hold exactly the
// new entries afterwards.
void showDirectory(const DirectoryEntries &entries, ListBox &list, ChannelTables &tables);

// Reads a list file (code page 936 text) into the list box and tables. A
// missing or unreadable file leaves both untouched.
void loadDirectory(const QString &path, ListBox &list, ChannelTables &tables);

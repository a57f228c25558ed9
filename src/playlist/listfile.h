#pragma once

#include "playlist.h"

#include <QByteArray>
#include <QString>

// The text of the directory list files. A character that code page 936 has
// is written in code page 936; any other character in GB18030, so that it
// comes back whole instead of as "?". Reading is GB18030, which agrees with
// code page 936 except where noted at decodeListFileText.

QByteArray encodeListFileText(const QString &text);

// GB18030, with code page 936's single bytes 0x80 (the euro sign) and 0xFF
// (U+F8F5) read as code page 936 reads them. Of all the code page's
// two-byte codes, only the 82 that code page 936 maps to private-use stand-ins
// (for example FE55, U+E81A) read differently: as the standard characters
// those stand-ins were made for (FE55 is U+3473). The stand-ins themselves
// are written in GB18030's four-byte form, so every text written by
// encodeListFileText reads back unchanged. Invalid bytes come out as U+FFFD.
QString decodeListFileText(const QByteArray &bytes);

// A list file holding the entries: name line and URL line, each ending in
// CR LF. A line break inside a name or URL becomes a blank, and a name shorter
// than three characters is padded with blanks, because the list-file reader
// skips shorter lines.
QByteArray listFileContent(const PlaylistEntryViews &entries);
// The same for one entry at a time.
class ByteOutput;
void appendListFileEntry(ByteOutput &out, const PlaylistEntryView &entry);

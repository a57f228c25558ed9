#pragma once

#include <QByteArray>
#include <QString>

// Conversion between the program's Unicode strings and the Chinese ANSI code
// page (GBK, code page 936) used by the list files, the credentials file, the
// tray tip and the service's answers.
namespace cp936 {

// Every character the code page cannot represent comes out as one '?'
// (invisible and format characters, a character beyond U+FFFF and a lone
// surrogate too).
QByteArray fromUnicode(const QString &text);

// Invalid byte sequences come out as U+FFFD; never fails.
QString toUnicode(const QByteArray &bytes);

// The character's code in code page 936: below 256 for a one-byte character,
// lead byte * 256 + trail byte for a two-byte one, NoCode when the code page
// cannot represent it.
constexpr quint16 NoCode = 0xFFFF;
quint16 code(QChar ch);

} // namespace cp936

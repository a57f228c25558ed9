#pragma once

#include <QByteArray>

// Whether code page 936 bytes end in the first byte of a two-byte character
// whose second byte is missing.
inline bool endsInLoneLeadByte(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size())
        i += uchar(bytes[i]) >= 0x81 && uchar(bytes[i]) <= 0xFE ? 2 : 1;
    return i > bytes.size();
}

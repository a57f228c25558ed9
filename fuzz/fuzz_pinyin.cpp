// Feeds arbitrary names to PinyinInitials. Each character gives its initial
// on its own (the initials of a name are those of its characters, in order),
// digits stay, and a first-level hanzi gets the letter that its code page 936
// bytes fall under, found here from the GB2312 boundary codes written out as
// numbers and the converter's own bytes.
#include "quickselect/pinyin.h"

#include <QStringEncoder>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Boundary
{
    int code;
    char letter;
};

// First code of each letter in the first level of GB2312 (B0A1 to D7F9).
const Boundary kBoundaries[] = {
    {0xB0A1, 'A'}, {0xB0C5, 'B'}, {0xB2C1, 'C'}, {0xB4EE, 'D'}, {0xB6EA, 'E'}, {0xB7A2, 'F'},
    {0xB8C1, 'G'}, {0xB9FE, 'H'}, {0xBBF7, 'J'}, {0xBFA6, 'K'}, {0xC0AC, 'L'}, {0xC2E8, 'M'},
    {0xC4C3, 'N'}, {0xC5B6, 'O'}, {0xC5BE, 'P'}, {0xC6DA, 'Q'}, {0xC8BB, 'R'}, {0xC8F6, 'S'},
    {0xCBFA, 'T'}, {0xCDDA, 'W'}, {0xCEF4, 'X'}, {0xD1B9, 'Y'}, {0xD4D1, 'Z'},
};

// The letter of a first-level hanzi, or 0 for any other character.
char firstLevelLetter(QChar ch)
{
    QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = gbk.encode(QStringView(&ch, 1));
    if (bytes.size() != 2)
        return 0;
    const int code = uchar(bytes[0]) << 8 | uchar(bytes[1]);
    if (code < 0xB0A1 || code > 0xD7F9)
        return 0;
    char letter = 0;
    for (const Boundary &boundary : kBoundaries) {
        if (code >= boundary.code)
            letter = boundary.letter;
    }
    return letter;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString name(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(name.data(), data, (size / 2) * 2);

    const QString initials = PinyinInitials(name);

    QString oneByOne;
    for (QChar ch : name) {
        const QString initial = ch.isDigit() && ch.unicode() < 0x80 ? QString(ch) : PinyinInitial(ch);
        if (initial.size() > 1 || (initial.size() == 1 && !initial.at(0).isDigit() && !initial.at(0).isUpper()))
            std::abort();
        const char letter = firstLevelLetter(ch);
        if (letter && initial != QString(QLatin1Char(letter)))
            std::abort();
        if (ch.unicode() < 0x80 && ch.isLetter() && initial != QString(ch.toUpper()))
            std::abort();
        oneByOne += initial;
    }
    if (initials != oneByOne)
        std::abort();
    return 0;
}

#include "channelentries.h"

#include "quickselect/pinyin.h"

namespace {

constexpr int kNumberDigits = 4;
constexpr QStringView kFullStop = u".";
constexpr QStringView kInitialsGap = u"            "; // twelve spaces

// Writes the entry number of n into `digits` (room for 11) and returns its
// length: "0000", "0001", ... "9999", then "10000", "10001" and so on.
int formatNumber(int n, char16_t *digits)
{
    char16_t reversed[11];
    int length = 0;
    unsigned value = unsigned(n < 0 ? 0 : n);
    do {
        reversed[length++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    int written = 0;
    for (int pad = length; pad < kNumberDigits; ++pad)
        digits[written++] = u'0';
    while (length > 0)
        digits[written++] = reversed[--length];
    return written;
}

} // namespace

// The URLs are part of the list text; an entry line holds its name twice at
// most (the initials) and about twenty characters more, which a name and a
// URL together rarely fall short of.
void ChannelEntries::reserveFor(qsizetype listTextSize)
{
    m_urls.reserve(listTextSize, 0);
    m_lines.reserve(listTextSize + listTextSize / 2, 0);
}

void ChannelEntries::append(QStringView name, QStringView url)
{
    char16_t digits[11];
    const QStringView number(digits, formatNumber(count(), digits));
    m_initials.clear();
    appendPinyinInitials(name, m_initials);
    m_lines.append({number, kFullStop, name, kInitialsGap, m_initials});
    m_urls.append({url});
    m_entries.push_back({int(number.size() + kFullStop.size() + name.size())});
}

void ChannelEntries::squeeze()
{
    m_lines.squeeze();
    m_urls.squeeze();
    m_entries.shrink_to_fit();
    m_initials = QString();
}

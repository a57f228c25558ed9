#include "channelentries.h"

#include "quickselect/pinyin.h"

namespace {

constexpr int kNumberDigits = 4;
constexpr QStringView kFullStop = u".";
constexpr QStringView kInitialsGap = u"            "; // twelve spaces
constexpr int kExtraFields = 5;

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

int numberLength(int n)
{
    int length = kNumberDigits;
    for (int limit = 10000; n >= limit && length < 10; limit *= 10)
        ++length;
    return length;
}

} // namespace

ChannelEntries::ChannelEntries(const ChannelEntries &other)
    : m_lines(other.m_lines)
    , m_urls(other.m_urls)
    , m_entries(other.m_entries)
    , m_extras(other.m_extras ? std::make_unique<LineTable>(*other.m_extras) : nullptr)
    , m_guideUrl(other.m_guideUrl)
{
}

ChannelEntries &ChannelEntries::operator=(const ChannelEntries &other)
{
    if (this != &other)
        *this = ChannelEntries(other);
    return *this;
}

// The URLs are part of the list text; an entry line holds its name twice at
// most (the initials) and about twenty characters more, which a name and a
// URL together rarely fall short of.
void ChannelEntries::reserveFor(qsizetype listTextSize)
{
    m_urls.reserve(listTextSize, 0);
    m_lines.reserve(listTextSize + listTextSize / 2, 0);
}

// A playlist spends about a quarter of its bytes on URLs, a sixth on names
// and a third on extras; growing texts of many megabytes step by step would
// copy them again and again.
void ChannelEntries::reserveForPlaylist(qsizetype playlistBytes)
{
    const qsizetype entries = playlistBytes / 64;
    m_urls.reserve(playlistBytes / 4, entries);
    m_lines.reserve(playlistBytes / 4, entries);
    m_entries.reserve(size_t(entries));
    m_extrasRoom = playlistBytes / 3;
}

void ChannelEntries::append(QStringView name, QStringView url, const EntryExtras &extras)
{
    if (m_extras || !extras.isEmpty())
        appendExtras(extras);
    char16_t digits[11];
    const QStringView number(digits, formatNumber(count(), digits));
    m_initials.resize(0); // keeps its room, unlike clear()
    appendPinyinInitials(name, m_initials);
    m_lines.append({number, kFullStop, name, kInitialsGap, m_initials});
    m_urls.append({url});
    m_entries.push_back({int(number.size() + kFullStop.size() + name.size())});
}

void ChannelEntries::appendEntries(const ChannelEntries &other, int limit)
{
    const int n = qMin(other.count(), limit);
    for (int i = 0; i < n; ++i) {
        const EntryExtras extras = other.extras(i);
        if (m_extras || !extras.isEmpty())
            appendExtras(extras);
        char16_t digits[11];
        const QStringView number(digits, formatNumber(count(), digits));
        const int otherNumber = numberLength(i);
        m_lines.append({number, other.line(i).sliced(otherNumber)});
        m_urls.append({other.url(i)});
        m_entries.push_back({int(other.m_entries[size_t(i)].rowLength - otherNumber + number.size())});
    }
}

// The text of extras starts when the first entry with extras comes; the
// entries before it get empty extras there.
void ChannelEntries::appendExtras(const EntryExtras &extras)
{
    if (!m_extras) {
        m_extras = std::make_unique<LineTable>();
        m_extras->reserve(m_extrasRoom, qsizetype(m_entries.capacity()));
        for (int i = 0; i < count(); ++i)
            appendExtras({});
    }
    QStringView fields[kExtraFields] = {extras.group, extras.logo, extras.tvgId, extras.tvgName, extras.tvgShift};
    char16_t lengths[kExtraFields];
    for (int k = 0; k < kExtraFields; ++k) {
        if (fields[k].size() > 0xFFFF)
            fields[k] = QStringView();
        lengths[k] = char16_t(fields[k].size());
    }
    m_extras->append({QStringView(lengths, kExtraFields), fields[0], fields[1], fields[2], fields[3], fields[4]});
}

QStringView ChannelEntries::name(int i) const
{
    const int skip = numberLength(i) + int(kFullStop.size());
    return rowText(i).sliced(skip);
}

EntryExtras ChannelEntries::extras(int i) const
{
    if (!m_extras)
        return {};
    const QStringView text = m_extras->at(i);
    QStringView fields[kExtraFields];
    qsizetype at = kExtraFields;
    for (int k = 0; k < kExtraFields; ++k) {
        fields[k] = text.sliced(at, text[k].unicode());
        at += fields[k].size();
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4]};
}

void ChannelEntries::squeeze()
{
    if (m_extras)
        m_extras->squeeze();
    m_lines.squeeze();
    m_urls.squeeze();
    m_entries.shrink_to_fit();
    m_initials = QString();
    m_extrasRoom = 0;
}

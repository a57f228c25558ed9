#include "pinyin.h"

#include "platform/codepage936.h"

#include <array>
#include <atomic>

namespace {

struct Boundary
{
    const char16_t *character;
    char letter;
};

// The first level of GB2312 is ordered by pinyin; each row's character is the
// first one whose reading starts with the row's letter.
constexpr std::array<Boundary, 23> kBoundaries = {{
    {u"啊", 'A'}, {u"芭", 'B'}, {u"擦", 'C'}, {u"搭", 'D'}, {u"蛾", 'E'}, {u"发", 'F'},
    {u"噶", 'G'}, {u"哈", 'H'}, {u"击", 'J'}, {u"喀", 'K'}, {u"垃", 'L'}, {u"妈", 'M'},
    {u"拿", 'N'}, {u"哦", 'O'}, {u"啪", 'P'}, {u"期", 'Q'}, {u"然", 'R'}, {u"撒", 'S'},
    {u"塌", 'T'}, {u"挖", 'W'}, {u"昔", 'X'}, {u"压", 'Y'}, {u"匝", 'Z'},
}};

// The boundary codes come from the same conversion as the argument's codes.
std::array<quint16, kBoundaries.size()> boundaryCodes()
{
    std::array<quint16, kBoundaries.size()> codes{};
    for (size_t i = 0; i < kBoundaries.size(); ++i)
        codes[i] = cp936::code(QChar(kBoundaries[i].character[0]));
    return codes;
}

QChar twoByteInitial(quint16 code)
{
    static const auto codes = boundaryCodes();
    if (code < codes[0])
        return u'0';
    for (size_t i = 0; i + 1 < codes.size(); ++i) {
        if (code >= codes[i] && code < codes[i + 1])
            return QLatin1Char(kBoundaries[i].letter);
    }
    return u'Z';
}

QChar computeInitial(QChar ch)
{
    const quint16 code = cp936::code(ch);
    if (code == cp936::NoCode)
        return {};
    if (code & 0x8000)
        return twoByteInitial(code);
    const QChar upper = ch.toUpper();
    if (upper >= u'A' && upper <= u'Z')
        return upper;
    return {};
}

// Worked out once per character and kept, so that the initials of hundreds
// of thousands of names cost a table look-up per character. The table may be
// filled from two threads at once (an import reads a playlist in parts).
QChar initialOf(QChar ch)
{
    static constexpr char16_t kUnknown = 0;   // not worked out yet
    static constexpr char16_t kNone = 0xFFFF; // worked out: no initial
    static std::array<std::atomic<char16_t>, 0x10000> table{}; // all kUnknown
    std::atomic<char16_t> &entry = table[ch.unicode()];
    char16_t initial = entry.load(std::memory_order_relaxed);
    if (initial == kUnknown) {
        const QChar computed = computeInitial(ch);
        initial = computed.isNull() ? kNone : computed.unicode();
        entry.store(initial, std::memory_order_relaxed);
    }
    return initial == kNone ? QChar() : QChar(initial);
}

} // namespace

QString PinyinInitial(QChar ch)
{
    const QChar initial = initialOf(ch);
    return initial.isNull() ? QString() : QString(initial);
}

QString PinyinInitials(const QString &name)
{
    QString result;
    result.reserve(name.size());
    appendPinyinInitials(name, result);
    return result;
}

void appendPinyinInitials(QStringView name, QString &to)
{
    // Written in place: an append per character would cost more than the
    // look-ups at hundreds of thousands of names.
    const qsizetype start = to.size();
    to.resize(start + name.size());
    QChar *out = to.data() + start;
    for (const QChar ch : name) {
        const QChar initial = (ch >= u'0' && ch <= u'9') ? ch : initialOf(ch);
        if (!initial.isNull())
            *out++ = initial;
    }
    to.truncate(out - to.constData());
}

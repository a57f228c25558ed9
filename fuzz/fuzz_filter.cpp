// Types, erases, pastes and clears keys in the quick-select filter over entry
// lines made from the input; now and then the lines are replaced, grown by
// one, or copied. After every step the fast filter must give exactly the
// entries that a plain scan of the lines gives.
#include "quickselect/filter.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Few characters, so that keys match often and matches nest: letters in both
// cases, digits, blanks, a dot, hanzi, a character whose upper case is two
// letters, and (for keys only) a line break.
const char16_t kAlphabet[] = u"AB hn01.湖南ßWS\n";
constexpr int kAlphabetSize = int(sizeof kAlphabet / sizeof kAlphabet[0]) - 1;

class Input
{
public:
    Input(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool atEnd() const { return m_at >= m_size; }
    int next() { return m_at < m_size ? m_data[m_at++] : 0; }
    QChar character(bool lineBreakAllowed)
    {
        const int limit = lineBreakAllowed ? kAlphabetSize : kAlphabetSize - 1;
        return QChar(kAlphabet[next() % limit]);
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// An entry line: its number, a dot and a few characters (never a line break).
void appendLine(LineTable &lines, Input &input)
{
    QString line = QString::number(lines.count()).rightJustified(4, QLatin1Char('0')) + QLatin1Char('.');
    for (int length = input.next() % 8; length > 0; --length)
        line += input.character(false);
    lines.append({line});
}

LineTable directory(Input &input)
{
    LineTable lines;
    for (int n = input.next() % 32; n > 0; --n)
        appendLine(lines, input);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    LineTable lines = directory(input);
    ChannelFilter filter;
    QString typed;
    // Enough steps for a name typed, erased and typed again.
    for (int steps = 0; steps < 64 && !input.atEnd(); ++steps) {
        const int step = input.next();
        switch (step % 8) {
        case 4: typed.chop(1); break;
        case 5: typed.clear(); break;
        case 6:
            for (int n = 0; n < 3; ++n)
                typed += input.character(true);
            break;
        case 7:
            switch ((step >> 3) % 4) {
            case 0: lines = directory(input); break;
            case 1: appendLine(lines, input); break;
            case 2: lines = LineTable(lines); break;
            default: filter.prepare(lines); break;
            }
            break;
        default: typed += input.character(true); break;
        }
        if (filter.apply(lines, typed) != filterEntries(lines, typed))
            std::abort();
    }
    return 0;
}

// Types, erases, pastes and clears keys in the quick-select filter over a
// directory made from the input, and now and then replaces the directory.
// After every step the fast filter must give exactly what a plain scan of the
// master tables gives.
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

ChannelTables directory(Input &input)
{
    ChannelTables tables;
    const int entries = input.next() % 32;
    for (int n = 0; n < entries; ++n) {
        QString line = QString::number(n).rightJustified(4, QLatin1Char('0')) + QLatin1Char('.');
        for (int length = input.next() % 8; length > 0; --length)
            line += input.character(false);
        tables.LineAll << line;
        tables.UrlAll << QStringLiteral("http://a/%1").arg(n);
    }
    // Tables out of step must not matter either.
    if (input.next() % 16 == 0 && !tables.UrlAll.isEmpty())
        tables.UrlAll.removeLast();
    tables.Url = tables.UrlAll;
    tables.Line = tables.LineAll;
    return tables;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    ChannelTables tables = directory(input);
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
            if (step & 8)
                tables = directory(input);
            else
                filter.prepare(tables);
            break;
        default: typed += input.character(true); break;
        }
        const FilterResult fast = filter.apply(tables, typed);
        const FilterResult plain = filterEntries(tables, typed);
        if (fast.Line != plain.Line || fast.Url != plain.Url)
            std::abort();
    }
    return 0;
}

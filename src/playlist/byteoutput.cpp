#include "byteoutput.h"

namespace {

// Characters copied as they are: printable ASCII but the double quote.
inline bool plain(char16_t u) { return u >= 0x20 && u < 0x80 && u != u'"'; }

} // namespace

ByteOutput::Seen ByteOutput::appendUtf8(QStringView text, bool dropDoubleQuotes)
{
    Seen seen;
    char *out = room(text.size() * 3);
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p < end) {
        // Most of a playlist is plain ASCII: a short loop copies runs of it.
        while (p < end && plain(*p))
            *out++ = char(*p++);
        if (p == end)
            break;
        const char16_t u = *p++;
        if (u < 0x80) {
            if (u == u'\r' || u == u'\n') {
                *out++ = ' ';
            } else if (u == u'"') {
                seen.doubleQuote = true;
                if (!dropDoubleQuotes)
                    *out++ = '"';
            } else {
                *out++ = char(u);
            }
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t c = QChar::surrogateToUcs4(u, *p++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isSurrogate(u)) {
            *out++ = '?';
        } else {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
    wrote(out);
    return seen;
}

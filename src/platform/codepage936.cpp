#include "codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <atomic>
#include <vector>

namespace cp936 {
namespace {

constexpr const char *kCodecName = "GBK";

constexpr quint16 kUnknown = 0xFFFE; // not a GBK code: trail bytes stop at 0xFE

// The codes are worked out once per character and kept, so that the initials
// of hundreds of thousands of names cost a table look-up per character.
quint16 encodeOne(char16_t u)
{
    if (u >= 0xD800 && u <= 0xDFFF)
        return NoCode;
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QStringView(&u, 1));
    if (encoder.hasError())
        return NoCode;
    if (bytes.size() == 1)
        return (bytes[0] == '?' && u != u'?') ? NoCode : quint8(bytes[0]);
    if (bytes.size() == 2)
        return quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
    return NoCode;
}

} // namespace

// Character by character through the table: the converter itself drops
// invisible and format characters (U+200B, U+FEFF, ...) and a lone surrogate
// at the end instead of marking them.
QByteArray fromUnicode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        // A pair of surrogates is one character beyond the code page: one '?'.
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        const quint16 c = ch.isSurrogate() ? NoCode : code(ch);
        if (c == NoCode) {
            out += '?';
        } else if (c < 0x100) {
            out += char(c);
        } else {
            out += char(c >> 8);
            out += char(c & 0xFF);
        }
    }
    return out;
}

QString toUnicode(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// The table may be filled from two threads at once.
quint16 code(QChar ch)
{
    static std::vector<std::atomic<quint16>> table = [] {
        std::vector<std::atomic<quint16>> unknown(0x10000);
        for (std::atomic<quint16> &entry : unknown)
            entry.store(kUnknown, std::memory_order_relaxed);
        return unknown;
    }();
    std::atomic<quint16> &entry = table[ch.unicode()];
    quint16 value = entry.load(std::memory_order_relaxed);
    if (value == kUnknown) {
        value = encodeOne(ch.unicode());
        entry.store(value, std::memory_order_relaxed);
    }
    return value;
}

} // namespace cp936

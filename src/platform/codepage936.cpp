#include "codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace cp936 {
namespace {

constexpr const char *kCodecName = "GBK";

// One encoder pass over the whole Basic Multilingual Plane gives the code of
// every character at once; per-character encoding would cost an encoder call
// for every character of every channel name.
std::vector<quint16> buildCodeTable()
{
    std::vector<quint16> table(0x10000, NoCode);
    QString all;
    all.reserve(0x10000);
    std::vector<char16_t> units;
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        units.push_back(char16_t(u));
        all.append(QChar(char16_t(u)));
    }
    const QByteArray bytes = fromUnicode(all);
    qsizetype pos = 0;
    for (char16_t u : units) {
        if (pos >= bytes.size())
            break;
        const auto lead = quint8(bytes[pos]);
        if (lead >= 0x81 && lead <= 0xFE && pos + 1 < bytes.size()) {
            table[u] = quint16(lead << 8 | quint8(bytes[pos + 1]));
            pos += 2;
        } else {
            if (!(lead == '?' && u != u'?'))
                table[u] = lead;
            pos += 1;
        }
    }
    return table;
}

} // namespace

QByteArray fromUnicode(const QString &text)
{
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString toUnicode(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

quint16 code(QChar ch)
{
    static const std::vector<quint16> table = buildCodeTable();
    return table[ch.unicode()];
}

} // namespace cp936

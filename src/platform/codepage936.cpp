#include "codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace cp936 {
namespace {

constexpr const char *kCodecName = "GBK";

// Each character is encoded on its own: the encoder drops some characters
// (U+00AD, for one) without a trace, so codes read from one pass over the
// whole plane would slip out of step after the first of them.
std::vector<quint16> buildCodeTable()
{
    std::vector<quint16> table(0x10000, NoCode);
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const char16_t unit = char16_t(u);
        const QByteArray bytes = encoder.encode(QStringView(&unit, 1));
        if (bytes.size() == 2 && quint8(bytes[0]) >= 0x81)
            table[u] = quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
        else if (bytes.size() == 1 && !(bytes[0] == '?' && u != u'?'))
            table[u] = quint8(bytes[0]);
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

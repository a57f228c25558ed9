#include "codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace cp936 {
namespace {

constexpr const char *kCodecName = "GBK";

// The code of every character of the Basic Multilingual Plane, built once.
// Each character is encoded on its own (about 10 ms in all): in one pass over
// the whole plane the encoder drops some characters (U+00AD gives no byte),
// which would shift every code after them.
std::vector<quint16> buildCodeTable()
{
    std::vector<quint16> table(0x10000, NoCode);
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const QChar ch{char16_t(u)};
        const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
        if (bytes.size() == 2)
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

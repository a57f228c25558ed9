// Code page 936 both ways. Arbitrary text encoded and decoded comes back
// character for character, except that a character the code page lacks comes
// back as "?" (a pair of surrogates is one character); that it lacks it is
// asked of the converter itself. Arbitrary bytes decode to at most one
// character a byte, and bytes that decode without a U+FFFD encode back to the
// same bytes.
#include "platform/codepage936.h"
#include "gbkbytes.h"

#include <QStringEncoder>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool converterLacks(QStringView character)
{
    if (character.size() == 1 && character.at(0).isSurrogate())
        return true;
    QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = gbk.encode(character);
    return gbk.hasError() || bytes.isEmpty() || (bytes == "?" && character != u"?");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);

    const QString back = cp936::toUnicode(cp936::fromUnicode(text));
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QStringView character = QStringView(text).sliced(i, pair ? 2 : 1);
        if (at >= back.size())
            std::abort();
        const QChar got = back.at(at++);
        if (converterLacks(character) ? got != u'?' : (pair || got != character.at(0)))
            std::abort();
        i += pair ? 1 : 0;
    }
    if (at != back.size())
        std::abort();

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString decoded = cp936::toUnicode(bytes);
    if (decoded.size() > bytes.size())
        std::abort();
    // The decoder drops a lead byte cut off at the end without a mark.
    const QByteArray whole = endsInLoneLeadByte(bytes) ? bytes.chopped(1) : bytes;
    if (!decoded.contains(QChar(0xFFFD)) && cp936::fromUnicode(decoded) != whole)
        std::abort();
    return 0;
}

// Feeds arbitrary UTF-16 text to UnscrambleText, and checks on the way that
// the same text scrambled with input-driven draws comes back unchanged.
#include "account/scramblecodec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QString utf16Text(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = utf16Text(data, size);

    const QString plain = UnscrambleText(text);
    if (plain.size() > qMax<qsizetype>(0, text.size() - 10))
        std::abort();

    size_t next = 0;
    const RandomSource draws = [&] { return size ? data[next++ % size] / 256.0 : 0.0; };
    const QString scrambled = ScrambleText(text, draws);
    if (scrambled.size() != text.size() + 10 || UnscrambleText(scrambled) != text)
        std::abort();
    return 0;
}

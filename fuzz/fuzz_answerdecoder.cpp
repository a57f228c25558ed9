// Feeds arbitrary bytes under arbitrary charset names to the answer decoder.
// The first byte gives the length of the name, the name follows, the body is
// the rest. Empty bodies and unknown names give empty text; the names of code
// page 936 decode like the converter's own GBK decoder, with a mark for a
// lead byte cut off at the end; UTF-8 and Latin-1 decode like Qt's own
// functions; no name gives more than two characters a byte.
#include "account/fetch.h"
#include "gbkbytes.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>

// Names worth trying: those of code page 936 in several spellings, Qt's own
// codecs, and some that only the system's converter knows or nobody knows.
const char *const kNames[] = {
    "gb2312", "GB2312", " gb2312 ", "GBK", "cp936", "x-gbk", "windows-936", "gb18030", "utf-8", "UTF-8",
    "iso-8859-1", "latin1", "utf-16", "utf-16le", "utf-16be", "utf-32", "utf-7", "Big5", "Shift_JIS",
    "EUC-JP", "EUC-KR", "ISO-2022-JP", "HZ-GB-2312", "windows-1252", "KOI8-R", "SCSU", "BOCU-1",
    "x-no-such-charset", "", " ", "\xff\xfe",
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // A first byte below 64 picks a name from the list, any other gives the
    // length of a name of arbitrary bytes that follows.
    constexpr int kNameCount = int(sizeof kNames / sizeof kNames[0]);
    const qsizetype nameLength = data[0] < 64 ? 0 : qMin<qsizetype>((data[0] - 64) % 32, qsizetype(size) - 1);
    const QString charset = data[0] < 64 ? QString::fromLatin1(kNames[data[0] % kNameCount])
                                         : QString::fromLatin1(reinterpret_cast<const char *>(data + 1), nameLength);
    const QByteArray body(reinterpret_cast<const char *>(data + 1 + nameLength), qsizetype(size) - 1 - nameLength);

    const QString text = DecodeResponseBytes(body, charset);

    if (body.isEmpty() && !text.isEmpty())
        std::abort();
    if (text.size() > 2 * body.size())
        std::abort();
    const QString name = charset.trimmed().toLower();
    if (name == u"gb2312" || name == u"gbk" || name == u"cp936") {
        QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
        if (text != gbk.decode(body) + (endsInLoneLeadByte(body) ? QStringLiteral("\uFFFD") : QString()))
            std::abort();
    } else if (name == u"utf-8" && text != QString::fromUtf8(body)) {
        std::abort();
    } else if (name == u"iso-8859-1" && text != QString::fromLatin1(body)) {
        std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the XMLTV reader, whole and in pieces. Whatever
// the pieces, the outcome must be the same; a guide that is read must hold
// only wanted channels with sorted, non-overlapping programmes in the window.
#include "guide/xmltvparser.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qint64 kNow = 1710072000;

const QList<GuideEntryKey> &entries()
{
    static const QList<GuideEntryKey> keys = {{{}, {}, QStringLiteral("湖南卫视"), 0},
                                              {QStringLiteral("c1"), {}, QStringLiteral("CCTV-1 综合"), -3600}};
    return keys;
}

struct Outcome
{
    bool ok = false;
    QList<GuideChannel> channels;
};

Outcome parse(const char *data, qsizetype size, qsizetype piece)
{
    GuideLimits limits;
    limits.maxTokenBytes = 4096;
    XmltvParser parser(GuideWanted::from(entries()), kNow, limits);
    for (qsizetype at = 0; at < size; at += piece)
        parser.feed(data + at, qMin(piece, size - at));
    Outcome outcome;
    outcome.ok = parser.finish();
    if (outcome.ok)
        outcome.channels = parser.takeChannels();
    return outcome;
}

void check(const QList<GuideChannel> &channels)
{
    const GuideWanted wanted = GuideWanted::from(entries());
    if (channels.isEmpty())
        std::abort();
    for (const GuideChannel &channel : channels) {
        if (channel.programmes.isEmpty() || !wanted.wantsChannel(channel.id, channel.names))
            std::abort();
        for (qsizetype i = 0; i < channel.programmes.size(); ++i) {
            const GuideProgramme &p = channel.programmes[i];
            if (p.start >= p.stop || p.title.isEmpty() || p.stop <= kNow - 7 * 3600 || p.start >= kNow + 7 * 86400 + 3600)
                std::abort();
            if (i > 0 && p.start < channel.programmes[i - 1].stop)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype piece = 1 + data[0] % 16;
    const char *text = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    const Outcome whole = parse(text, length, qMax<qsizetype>(1, length));
    const Outcome pieces = parse(text, length, piece);
    if (whole.ok != pieces.ok || !(whole.channels == pieces.channels))
        std::abort();
    if (whole.ok)
        check(whole.channels);
    return 0;
}

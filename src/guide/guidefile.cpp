#include "guidefile.h"

#include "gzipinflater.h"

#include <QFile>

#include <optional>

namespace {

constexpr qint64 kReadPiece = 256 * 1024;

// Only the channels some entry finds: a channel kept because it might have
// matched (an entry's name next to its tvg-id) is of no use.
QList<GuideChannel> channelsOfEntries(QList<GuideChannel> channels, const QList<GuideEntryKey> &keys)
{
    const Guide all(channels, 0, {});
    QList<bool> used(channels.size(), false);
    for (const GuideEntryKey &key : keys) {
        if (const int channel = all.channelFor(key); channel >= 0)
            used[channel] = true;
    }
    QList<GuideChannel> kept;
    for (qsizetype i = 0; i < channels.size(); ++i) {
        if (used[i])
            kept.append(std::move(channels[i]));
    }
    return kept;
}

bool cancelled(const std::atomic_bool *cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

} // namespace

GuideReadResult readGuide(QIODevice &device, const QList<GuideEntryKey> &keys, qint64 now, const QString &source,
                          const GuideLimits &limits, const std::atomic_bool *cancel)
{
    GuideReadResult result;
    XmltvParser parser(GuideWanted::from(keys), now, limits);
    std::optional<GzipInflater> inflater;
    const auto toParser = [&parser](const char *data, qsizetype size) { return parser.feed(data, size); };
    QByteArray piece(kReadPiece, Qt::Uninitialized);
    bool first = true;
    bool ok = true;
    while (ok) {
        if (cancelled(cancel)) {
            result.error = QStringLiteral("cancelled");
            return result;
        }
        const qint64 got = device.read(piece.data(), piece.size());
        if (got < 0) {
            result.error = QStringLiteral("the guide could not be read: %1").arg(device.errorString());
            return result;
        }
        if (got == 0)
            break;
        if (first && GzipInflater::looksLikeGzip(piece.constData(), got))
            inflater.emplace(limits.maxXmlBytes);
        first = false;
        ok = inflater ? inflater->feed(piece.constData(), got, toParser) : parser.feed(piece.constData(), got);
    }
    if (inflater && !parser.error().isEmpty()) {
        result.error = parser.error();
        return result;
    }
    if (inflater && !inflater->isComplete()) {
        result.error = inflater->error().isEmpty() ? QStringLiteral("the gzip file is cut off") : inflater->error();
        return result;
    }
    if (!parser.finish()) {
        result.error = parser.error();
        return result;
    }
    result.guide = std::make_shared<Guide>(channelsOfEntries(parser.takeChannels(), keys), now, source,
                                           guideKeysDigest(keys));
    return result;
}

GuideReadResult readGuideFile(const QString &path, const QList<GuideEntryKey> &keys, qint64 now,
                              const QString &source, const GuideLimits &limits, const std::atomic_bool *cancel)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        GuideReadResult result;
        result.error = QStringLiteral("the guide could not be opened: %1").arg(file.errorString());
        return result;
    }
    return readGuide(file, keys, now, source, limits, cancel);
}

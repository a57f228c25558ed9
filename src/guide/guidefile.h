#pragma once

#include "guide.h"
#include "xmltvparser.h"

#include <QString>

#include <atomic>

class QIODevice;

struct GuideReadResult
{
    std::shared_ptr<Guide> guide; // null when the guide could not be used
    QString error;
};

// Reads a whole guide, plain XML or gzip (told apart by its first bytes),
// from a device or a file, in pieces, keeping the programmes of the given
// entries' channels around `now` (seconds since 1970 UTC). A truncated or
// corrupt gzip file, XML that is not well formed or a guide without
// programmes for these entries yields no guide, never a partial one.
// Setting `cancel` stops the read at the next piece.
GuideReadResult readGuide(QIODevice &device, const QList<GuideEntryKey> &keys, qint64 now, const QString &source,
                          const GuideLimits &limits = {}, const std::atomic_bool *cancel = nullptr);
GuideReadResult readGuideFile(const QString &path, const QList<GuideEntryKey> &keys, qint64 now,
                              const QString &source, const GuideLimits &limits = {},
                              const std::atomic_bool *cancel = nullptr);

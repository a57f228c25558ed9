#pragma once

#include "guide.h"

#include <QByteArray>
#include <QString>

// The guide kept between runs: a compact binary file in the data folder
// (titles and names stored once, times as differences), read at start
// instead of the guide's XML. The file ends with a checksum; a file that is
// cut, changed or of another version reads as no cache at all. With an empty
// data folder (a run that keeps nothing) there is no cache: nothing is read
// and saving fails.
QString guideCachePath(const QString &dataFolder);

QByteArray encodeGuideCache(const Guide &guide);
// Null for anything that is not a whole, consistent cache.
std::shared_ptr<Guide> decodeGuideCache(const QByteArray &bytes);

// The file is replaced atomically: a failed write leaves the previous cache.
bool saveGuideCache(const QString &dataFolder, const Guide &guide);
std::shared_ptr<Guide> loadGuideCache(const QString &dataFolder);

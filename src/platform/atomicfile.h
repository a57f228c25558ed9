#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Replaces the whole file with `content`: written to a temporary file beside
// it and renamed over it, so a failed write (unwritable directory, full disk,
// crash) leaves the old file whole. With `ownerOnly` the file is readable and
// writable by its owner only, where the file system has modes.
// Returns whether the file now holds the content.
bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly = false);

#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Replaces the whole file with `content`: written to a temporary file beside
// it, synced to the disk, and renamed over it only when every step went well,
// so a failed write (unwritable directory, full disk, a file system that
// reports lost data only when asked to sync, crash) leaves the old file whole.
// With `ownerOnly` the file is readable and writable by its owner only, where
// the file system has modes, and so is the temporary file from the moment it
// exists. Otherwise a replaced file keeps its mode. Returns whether the file
// now holds the content.
bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly = false);

// The steps of a write, for tests: `check` is called with the temporary
// file's path after each step, and returning false makes that step fail as a
// real failure would.
enum class AtomicWriteStep { Created, Written, Synced };
using AtomicWriteCheck = std::function<bool(AtomicWriteStep step, const QString &temporaryPath)>;
bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly,
                         const AtomicWriteCheck &check);

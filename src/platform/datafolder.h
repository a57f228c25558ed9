#pragma once

#include <QString>

#include <utility>

// Where the program is and where it keeps its files. The program folder holds
// the executable and the optional skin library; the data folder holds what the
// program writes and reads back: the list files, the saved account, and
// whatever else it keeps later. An empty data folder means that nothing is
// kept in this run: every file reads as missing and no write is attempted.
struct AppPaths
{
    QString programDir;
    QString dataDir;

    AppPaths(QString program, QString data) : programDir(std::move(program)), dataDir(std::move(data)) {}
    // The portable use: the files beside the program.
    AppPaths(const QString &portableDir) : AppPaths(portableDir, portableDir) {} // NOLINT(google-explicit-constructor)

    QString dataFile(const QString &name) const;
};

// The path of the file `name` in `dataDir`; empty when dataDir is empty, so
// that a run that keeps nothing never reads or writes a relative path.
QString dataFilePath(const QString &dataDir, const QString &name);

// The folder an installation keeps its shared files in, `<prefix>/share/chengyu-tv`
// for a program folder `<prefix>/bin`; empty when there is none, as in a build
// tree or a portable folder.
QString installedShareDir(const QString &programDir);

// Whether this user may write into the folder. A folder whose mode grants
// writing to nobody counts as read-only even for the superuser, so that a
// folder made read-only on purpose is never written into.
bool isWritableFolder(const QString &path);

// Makes sure `path` is a folder this user may write into, creating it (and
// its missing parents) when needed. The folder itself is made readable by its
// owner only; an existing folder keeps its mode. Nothing is created below a
// regular file or below a folder that isWritableFolder() rejects.
bool ensurePrivateFolder(const QString &path);

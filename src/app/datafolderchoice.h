#pragma once

#include "app/launchoptions.h"
#include "platform/datafolder.h"

#include <QString>

struct DataFolderChoice
{
    QString dataDir; // empty: nothing is kept in this run
    QString warning; // why nothing is kept, one line
};

// Chooses, once at start, where the program keeps its files:
// - the folder given with --data-dir (absolute; created when missing);
// - else the program folder, when it is writable and no installation's
//   (the portable use);
// - else `perUserDir`, created with mode 0700 on first use.
// When the folder chosen cannot be used (no home folder, a relative or empty
// --data-dir, a file in the way, no right to write) nothing is kept, and the
// warning says why.
DataFolderChoice chooseDataFolder(const QString &programDir, const LaunchOptions &options, const QString &perUserDir);

// Whether the user has a home folder (HOME set). Without one, Qt would put
// its own caches below "/", which is no user's folder.
bool hasHomeFolder();

// The per-user data folder (for example ~/.local/share/chengyu-tv); empty
// when the user has no home folder. Needs the application name set.
QString perUserDataLocation();

// The paths of this run: the folder choice for the program in `programDir`,
// its warning printed to standard error.
AppPaths chooseAppPaths(const QString &programDir, const LaunchOptions &options);

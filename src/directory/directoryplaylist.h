#pragma once

#include "directory/channelentries.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

class ChannelDirectory;
struct PlaylistEntryViews;

// Directories and playlists: an import reads a playlist into a directory and
// stores it (list file and companion), an export writes a directory out.

// Which of a playlist's entries an import takes.
enum class ImportedEntries { All, RadioOnly, AllButRadio };
// Whether an import replaces the directory or appends to it.
enum class ImportMode { Replace, Append };

struct ImportResult
{
    int read = 0;        // entries of the playlist that were asked for
    int added = 0;       // entries the directory gained; 0: nothing changed
    bool stored = false; // its list file was written (the companion follows)
};

// The directory's entries as a playlist to write; each marked radio="true"
// when `radio`, so that a radio directory's export goes back to the radio
// directory when it is given on the command line.
PlaylistEntryViews playlistViews(const ChannelEntries &entries, bool radio);

// Imports the playlist's bytes into the directory. Replace: the directory
// becomes the playlist's entries. Append: the directory keeps its entries and
// gains those whose URL it does not list yet (nor an entry appended before
// them). An import that adds no entry changes nothing, on screen or on disk.
// Otherwise the rows show the whole directory, the list file is replaced
// atomically, and its companion after the return (see writeImportedDirectory).
ImportResult importPlaylist(ChannelDirectory &directory, const QString &listFile, const QByteArray &bytes,
                            const QUrl &source, ImportMode mode, bool radio,
                            ImportedEntries which = ImportedEntries::All);

// Writes the whole directory to `path` as UTF-8 M3U8, atomically.
bool exportDirectory(const ChannelEntries &entries, bool radio, const QString &path);

// The entries of a list file's text together with what its companion
// playlist says about them, when the companion belongs to it (the same URLs
// in the same order); nothing when it does not. The list file's names stand,
// except that the companion's is taken where the list file holds it padded
// to the reader's three characters.
std::optional<ChannelEntries> entriesWithCompanion(QStringView listText, const QByteArray &companion,
                                                   const QUrl &companionSource);

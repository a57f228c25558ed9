#pragma once

#include <QString>

#include <optional>

// The two directories a user marks and plays entries from. Each keeps its
// own favourites.
enum class DirectoryKind : quint8 { Tv, Radio };

// The word a kept file uses for a directory ("tv", "radio"), and back.
QString directoryWord(DirectoryKind directory);
std::optional<DirectoryKind> directoryFromWord(const QString &word);

// An entry as it was played: where from, its name then, and its URL, which is
// what identifies it across refreshes, imports and restarts.
struct PlayedEntry
{
    DirectoryKind directory = DirectoryKind::Tv;
    QString name;
    QString url;

    friend bool operator==(const PlayedEntry &a, const PlayedEntry &b)
    {
        return a.directory == b.directory && a.name == b.name && a.url == b.url;
    }
    friend bool operator!=(const PlayedEntry &a, const PlayedEntry &b) { return !(a == b); }
};

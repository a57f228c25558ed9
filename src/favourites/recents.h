#pragma once

#include "favourites/keptfile.h"
#include "favourites/playedentry.h"

#include <QList>

#include <optional>

inline constexpr char RecentsFileName[] = "zuijinbofang.txt";
inline constexpr int RecentsLimit = 20;

// What was played, kept between runs: the recently played entries (newest
// first, one per URL, at most RecentsLimit), the last entry played from each
// directory, the last view (the directory whose list was shown last), and
// whether the program plays the last entry of the last view at start (off
// until the user switches it on).
//
// Kept in the file zuijinbofang.txt in the data folder, read when made and
// rewritten atomically on every change (see KeptFile). With an empty data
// folder everything lives in memory for this run only.
class Recents
{
public:
    explicit Recents(const QString &dataDir = QString());

    const QList<PlayedEntry> &entries() const { return m_entries; }

    // The entry plays now: it goes to the front of the recent entries (an
    // older one with the same URL leaves them), becomes the last entry of its
    // directory, and its directory becomes the last view. An empty URL is
    // not recorded.
    void played(const PlayedEntry &entry);

    // The list of this directory is shown now.
    void setLastView(DirectoryKind directory);
    DirectoryKind lastView() const { return m_lastView; }
    std::optional<PlayedEntry> lastPlayed(DirectoryKind directory) const;

    bool playLastAtStart() const { return m_playLastAtStart; }
    void setPlayLastAtStart(bool on);
    // What to play once the start-up schedule has finished: the last entry of
    // the last view while the setting is on, else nothing.
    std::optional<PlayedEntry> startEntry() const;

private:
    void load();
    // Takes one record of the file; false when it is not understood.
    bool take(const QStringList &record);
    void save();

    QList<PlayedEntry> m_entries;
    std::optional<PlayedEntry> m_last[2];
    DirectoryKind m_lastView = DirectoryKind::Tv;
    bool m_playLastAtStart = false;
    KeptFile m_file;
};

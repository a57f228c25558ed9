#pragma once

#include "favourites/playedentry.h"

#include <QtGlobal>

#include <optional>

// Changing channel as with a TV remote, over the rows a list shows now (all
// of a directory, the quick-select matches or only the favourites).

// What a key does where it changes channel (in a list or on the player):
// PageDown and Ctrl+Down play the next row, PageUp and Ctrl+Up the previous
// one, Backspace the channel played before, Ctrl+D marks or unmarks the
// selected row. The keypad's keys count as the same keys.
enum class RemoteKey { None, Next, Previous, Back, Mark };
RemoteKey remoteKey(int key, Qt::KeyboardModifiers modifiers);

// The row after `current` among `count` rows, the first after the last. From
// no row (-1, or a row that is gone) it is the first row; -1 without rows.
int nextRow(int current, int count);
// The row before `current`, the last before the first. From no row it is the
// last row; -1 without rows.
int previousRow(int current, int count);

// The channel that played before the current one, for the remote's "back"
// key. It is one entry, not a trail: going back plays the previous entry,
// which makes the one left the previous entry in turn, so pressing back
// twice returns to where it started, and back after a zap returns to the
// channel zapped from. Entries are kept by URL, so the previous entry plays
// even when the rows no longer hold it (only favourites shown, a quick-select
// match, a refresh); its row is selected only where the rows hold it.
class ZapHistory
{
public:
    // Every play goes through here. Playing the current URL again changes
    // nothing, so back never "returns" to the channel already playing.
    void played(const PlayedEntry &entry);

    // What back plays; nothing before a second channel has played.
    const std::optional<PlayedEntry> &previous() const { return m_previous; }
    const std::optional<PlayedEntry> &current() const { return m_current; }

private:
    std::optional<PlayedEntry> m_current;
    std::optional<PlayedEntry> m_previous;
};

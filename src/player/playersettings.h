#pragma once

#include <QString>

// What the player keeps between runs, in a small settings file in the
// program's data folder. An empty file name keeps nothing.
namespace playersettings {

constexpr const char *FileName = "player.ini";
constexpr int DefaultVolume = 70;

// The kept volume (0 to 100); DefaultVolume when none is kept or the file
// cannot be read.
int loadVolume(const QString &file);
void saveVolume(const QString &file, int volume);

} // namespace playersettings

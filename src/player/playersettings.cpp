#include "playersettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace playersettings {
namespace {
const QString kVolumeKey = QStringLiteral("player/volume");
}

QString settingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("player.ini"));
}

int loadVolume(const QString &file)
{
    const QSettings settings(file, QSettings::IniFormat);
    bool ok = false;
    const int volume = settings.value(kVolumeKey).toInt(&ok);
    return ok && volume >= 0 && volume <= 100 ? volume : DefaultVolume;
}

void saveVolume(const QString &file, int volume)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(kVolumeKey, qBound(0, volume, 100));
}

} // namespace playersettings

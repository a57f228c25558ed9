#include "playersettings.h"

#include <QSettings>

namespace playersettings {
namespace {
const QString kVolumeKey = QStringLiteral("player/volume");
}

int loadVolume(const QString &file)
{
    if (file.isEmpty())
        return DefaultVolume;
    const QSettings settings(file, QSettings::IniFormat);
    bool ok = false;
    const int volume = settings.value(kVolumeKey).toInt(&ok);
    return ok && volume >= 0 && volume <= 100 ? volume : DefaultVolume;
}

void saveVolume(const QString &file, int volume)
{
    if (file.isEmpty())
        return;
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(kVolumeKey, qBound(0, volume, 100));
}

} // namespace playersettings

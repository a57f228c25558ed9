#include "playedentry.h"

QString directoryWord(DirectoryKind directory)
{
    return directory == DirectoryKind::Radio ? QStringLiteral("radio") : QStringLiteral("tv");
}

std::optional<DirectoryKind> directoryFromWord(const QString &word)
{
    if (word == QLatin1String("tv"))
        return DirectoryKind::Tv;
    if (word == QLatin1String("radio"))
        return DirectoryKind::Radio;
    return std::nullopt;
}

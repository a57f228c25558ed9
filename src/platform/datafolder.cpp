#include "datafolder.h"

#include <QDir>
#include <QFileInfo>

QString AppPaths::dataFile(const QString &name) const
{
    return dataFilePath(dataDir, name);
}

QString dataFilePath(const QString &dataDir, const QString &name)
{
    if (dataDir.isEmpty())
        return {};
    return QDir(dataDir).filePath(name);
}

QString installedShareDir(const QString &programDir)
{
    const QDir prefix(programDir + QStringLiteral("/.."));
    const QString share = QDir::cleanPath(prefix.filePath(QStringLiteral("share/chengyu-tv")));
    return QFileInfo(share).isDir() ? share : QString();
}

bool isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isDir() && info.isWritable() && (info.permissions() & anyWrite);
}

bool ensurePrivateFolder(const QString &path)
{
    const QString target = QDir::cleanPath(path);
    if (target.isEmpty() || QDir::isRelativePath(target))
        return false;
    if (QFileInfo::exists(target))
        return isWritableFolder(target);
    // The nearest existing folder above decides whether anything may be made.
    QString existing = target;
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return false;
        existing = parent;
    }
    if (!isWritableFolder(existing))
        return false;
    const QString parent = QFileInfo(target).path();
    if (!QDir().mkpath(parent))
        return false;
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (!QDir().mkdir(target, ownerOnly) && !QFileInfo(target).isDir())
        return false;
    return isWritableFolder(target);
}

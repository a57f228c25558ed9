#include "datafolderchoice.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

DataFolderChoice nothingKept(const QString &why)
{
    return {QString(), QStringLiteral("chengyu-tv: 本次不保存任何文件：") + why};
}

DataFolderChoice usable(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
    if (QFileInfo(path).exists() && !QFileInfo(path).isDir())
        return nothingKept(QStringLiteral("%1 不是文件夹").arg(QDir::toNativeSeparators(path)));
    if (!ensurePrivateFolder(path))
        return nothingKept(QStringLiteral("无法写入文件夹 %1").arg(QDir::toNativeSeparators(path)));
    return {path, QString()};
}

} // namespace

DataFolderChoice chooseDataFolder(const QString &programDir, const LaunchOptions &options, const QString &perUserDir)
{
    if (options.dataDirGiven) {
        // A relative folder would depend on where the desktop happened to start the program.
        if (options.dataDir.isEmpty() || QDir::isRelativePath(options.dataDir))
            return nothingKept(QStringLiteral("--data-dir 需要一个绝对路径"));
        return usable(options.dataDir);
    }
    if (isWritableFolder(programDir) && installedShareDir(programDir).isEmpty())
        return {programDir, QString()};
    if (perUserDir.isEmpty())
        return nothingKept(QStringLiteral("没有用户主文件夹（HOME 未设置）"));
    return usable(perUserDir);
}

bool hasHomeFolder()
{
#ifdef Q_OS_UNIX
    return !qEnvironmentVariableIsEmpty("HOME");
#else
    return true;
#endif
}

QString perUserDataLocation()
{
    if (!hasHomeFolder() && qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        return {};
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

AppPaths chooseAppPaths(const QString &programDir, const LaunchOptions &options)
{
    const DataFolderChoice choice = chooseDataFolder(programDir, options, perUserDataLocation());
    if (!choice.warning.isEmpty())
        std::fputs((choice.warning + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    return AppPaths(programDir, choice.dataDir);
}

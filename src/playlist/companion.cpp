#include "companion.h"

#include "listfile.h"
#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString companionFilePath(const QString &listFilePath)
{
    const QFileInfo info(listFilePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(stem + QStringLiteral(".m3u8"));
}

std::optional<QList<PlaylistEntry>> companionExtras(const QStringList &listUrls, const QList<PlaylistEntry> &companion)
{
    if (companion.size() != listUrls.size())
        return std::nullopt;
    for (qsizetype i = 0; i < companion.size(); ++i) {
        if (companion.at(i).url != listUrls.at(i))
            return std::nullopt;
    }
    return companion;
}

std::optional<QList<PlaylistEntry>> readCompanionExtras(const QString &companionPath, const QStringList &listUrls)
{
    if (!QFileInfo(companionPath).isFile())
        return std::nullopt;
    QFile file(companionPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const Playlist companion = parsePlaylist(file.readAll(), QUrl::fromLocalFile(companionPath));
    return companionExtras(listUrls, companion.entries);
}

bool writeImportedDirectory(const QString &listFilePath, const Playlist &playlist, const FileWriter &writer)
{
    const FileWriter write = writer ? writer : [](const QString &path, const QByteArray &content) {
        return writeFileAtomically(path, content);
    };
    if (!write(listFilePath, listFileContent(playlist.entries)))
        return false;
    const QString companion = companionFilePath(listFilePath);
    if (!write(companion, exportM3u8(playlist)))
        QFile::remove(companion);
    return true;
}

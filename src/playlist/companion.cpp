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

bool writeImportedDirectory(const QString &listFilePath, const PlaylistEntryViews &entries, const FileWriter &writer)
{
    const FileWriter write = writer ? writer : [](const QString &path, const QByteArray &content) {
        return writeFileAtomically(path, content);
    };
    if (!write(listFilePath, listFileContent(entries)))
        return false;
    const QString companion = companionFilePath(listFilePath);
    if (!write(companion, exportM3u8(entries)))
        QFile::remove(companion);
    return true;
}

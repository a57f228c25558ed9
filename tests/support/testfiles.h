#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The bytes of a file; "<missing>" when it cannot be read, so a comparison
// tells a missing file from an empty one.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

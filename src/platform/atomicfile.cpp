#include "atomicfile.h"

#include <QSaveFile>

bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly)
{
    if (path.isEmpty())
        return false; // nothing is kept in this run
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
#ifdef Q_OS_UNIX
    // Where the file system has no modes this fails; the content is still kept.
    if (ownerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#else
    Q_UNUSED(ownerOnly);
#endif
    // QSaveFile's commit() does not notice a write that fails when its buffer
    // is flushed (disk full, size limit) and would put a cut file in place;
    // flushing first catches it.
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

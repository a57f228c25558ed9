#include "atomicfile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>

#include <io.h>
#include <windows.h>
#endif

namespace {

bool passes(const AtomicWriteCheck &check, AtomicWriteStep step, const QString &temporaryPath)
{
    return !check || check(step, temporaryPath);
}

#ifdef Q_OS_UNIX

// A new file beside the target, ".name.XXXXXXXX.tmp", made by this call only
// (O_EXCL) and never wider than `mode`: the kernel creates it with the mode
// already narrowed by the umask.
int createTemporary(const QFileInfo &target, mode_t mode, QByteArray *path)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(8, Qt::Uninitialized);
        for (char &c : suffix)
            c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        *path = QFile::encodeName(target.absolutePath() + QLatin1String("/.") + target.fileName()) + '.' + suffix
            + ".tmp";
        const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool syncData(int fd)
{
#if defined(Q_OS_DARWIN)
    return ::fsync(fd) == 0;
#else
    return ::fdatasync(fd) == 0;
#endif
}

// The rename reaches the disk with the directory entry.
void syncDirectory(const QFileInfo &target)
{
    const int fd = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

#endif

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly)
{
    return writeFileAtomically(path, content, ownerOnly, {});
}

#ifdef Q_OS_UNIX

bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly,
                         const AtomicWriteCheck &check)
{
    if (path.isEmpty())
        return false; // nothing is kept in this run
    QFileInfo target(path);
    // A link is written through, to the file it names.
    if (target.isSymLink() && !target.canonicalFilePath().isEmpty())
        target = QFileInfo(target.canonicalFilePath());
    const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
    QByteArray temporary;
    int fd = createTemporary(target, ownerOnly ? 0600 : 0666, &temporary);
    if (fd < 0)
        return false;
    const QString temporaryName = QFile::decodeName(temporary);
    const auto fail = [&] {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        return false;
    };
    if (!passes(check, AtomicWriteStep::Created, temporaryName))
        return fail();
    // Where the file system has no modes these fail; the content is still kept.
    struct stat old = {};
    if (ownerOnly)
        (void)::fchmod(fd, 0600);
    else if (::stat(targetPath.constData(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);
    if (!writeAll(fd, content) || !passes(check, AtomicWriteStep::Written, temporaryName))
        return fail();
    // Some file systems (network, FUSE, thin-provisioned disks) report lost
    // data only here; the old file must stay until the new one is safe.
    if (!syncData(fd) || !passes(check, AtomicWriteStep::Synced, temporaryName))
        return fail();
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 || ::rename(temporary.constData(), targetPath.constData()) != 0)
        return fail();
    syncDirectory(target);
    return true;
}

#else

bool writeFileAtomically(const QString &path, const QByteArray &content, bool ownerOnly,
                         const AtomicWriteCheck &check)
{
    Q_UNUSED(ownerOnly); // the directory's access rules apply
    if (path.isEmpty())
        return false; // nothing is kept in this run
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString temporaryName = path + QStringLiteral(" (temporary)");
    if (!passes(check, AtomicWriteStep::Created, temporaryName) || file.write(content) != content.size()
        || !file.flush() || !passes(check, AtomicWriteStep::Written, temporaryName)) {
        file.cancelWriting();
        return false;
    }
    const int descriptor = file.handle();
    const HANDLE handle = descriptor < 0 ? INVALID_HANDLE_VALUE : HANDLE(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)
        || !passes(check, AtomicWriteStep::Synced, temporaryName)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

#endif

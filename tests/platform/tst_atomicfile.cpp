#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

#ifdef Q_OS_UNIX
int modeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
#endif

} // namespace

// The writer that replaces a file whole or not at all.
class TestAtomicFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failedStepKeepsTheOldFile_data();
    void failedStepKeepsTheOldFile();
    void temporaryFileModeFromTheStart_data();
    void temporaryFileModeFromTheStart();
    void replacedFileKeepsItsMode();
    void linkIsWrittenThrough();
};

void TestAtomicFile::failedStepKeepsTheOldFile_data()
{
    QTest::addColumn<int>("failingStep"); // -1: none fails
    QTest::addColumn<bool>("ownerOnly");

    QTest::newRow("every step succeeds") << -1 << false;
    QTest::newRow("temporary file not usable") << int(AtomicWriteStep::Created) << false;
    QTest::newRow("write fails") << int(AtomicWriteStep::Written) << true;
    QTest::newRow("sync reports lost data") << int(AtomicWriteStep::Synced) << false;
    QTest::newRow("sync reports lost data, owner only") << int(AtomicWriteStep::Synced) << true;
}

void TestAtomicFile::failedStepKeepsTheOldFile()
{
    QFETCH(int, failingStep);
    QFETCH(bool, ownerOnly);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.ini"));
    QVERIFY(writeFileAtomically(path, "old content\r\n", ownerOnly));
    QList<AtomicWriteStep> seen;

    const bool written = writeFileAtomically(path, "new content\r\n", ownerOnly,
                                             [&](AtomicWriteStep step, const QString &temporary) {
                                                 seen << step;
                                                 return QFile::exists(temporary) && int(step) != failingStep;
                                             });

    QCOMPARE(written, failingStep < 0);
    QCOMPARE(readAll(path), written ? QByteArray("new content\r\n") : QByteArray("old content\r\n"));
    QCOMPARE(entries(dir), QStringList{QStringLiteral("list.ini")}); // no temporary file left behind
    QCOMPARE(seen.size(), failingStep < 0 ? 3 : failingStep + 1);
}

void TestAtomicFile::temporaryFileModeFromTheStart_data()
{
    QTest::addColumn<bool>("ownerOnly");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("mode");

    QTest::newRow("owner only, open umask") << true << 0 << 0600;
    QTest::newRow("owner only, usual umask") << true << 022 << 0600;
    QTest::newRow("ordinary file, open umask") << false << 0 << 0666;
    QTest::newRow("ordinary file, usual umask") << false << 022 << 0644;
}

void TestAtomicFile::temporaryFileModeFromTheStart()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, ownerOnly);
    QFETCH(int, umask);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lumatv.dat"));
    QList<int> modes;

    const mode_t oldMask = ::umask(mode_t(umask));
    const bool written = writeFileAtomically(path, "secret", ownerOnly, [&](AtomicWriteStep, const QString &temporary) {
        modes << modeOf(temporary);
        return true;
    });
    ::umask(oldMask);

    QVERIFY(written);
    QCOMPARE(modes, QList<int>({mode, mode, mode})); // as created, written and synced
    QCOMPARE(modeOf(path), mode);
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void TestAtomicFile::replacedFileKeepsItsMode()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.ini"));
    QVERIFY(writeFileAtomically(path, "one"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));

    QVERIFY(writeFileAtomically(path, "two"));

    QCOMPARE(modeOf(path), 0640);
    QCOMPARE(readAll(path), QByteArray("two"));
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void TestAtomicFile::linkIsWrittenThrough()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.ini"));
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    QVERIFY(writeFileAtomically(real, "one"));
    QVERIFY(QFile::link(real, link));

    QVERIFY(writeFileAtomically(link, "two"));

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(real), QByteArray("two"));
#else
    QSKIP("links are a POSIX matter here");
#endif
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"

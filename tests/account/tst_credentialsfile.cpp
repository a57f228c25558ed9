#include "account/credentialsfile.h"
#include "account/scramblecodec.h"
#include "platform/codepage936.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString filePath(const QTemporaryDir &dir)
{
    return dir.filePath(QLatin1String(CredentialsFileName));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray scrambledGbk(const QString &text)
{
    return cp936::fromUnicode(ScrambleText(text));
}

#ifdef Q_OS_UNIX
mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}
#endif

} // namespace

class tst_CredentialsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveWritesTwoScrambledLines();
    void saveNeedsBothValues_data();
    void saveNeedsBothValues();
    void successiveSavesScrambleAfresh();
    void chineseNameIsStoredInGbk();
    void unencodedCharactersAreSavedAsMarks();
    void commasComeBackWhole();
    void roundTripOfGeneratedPairs();

    void fileIsOwnerOnly();
    void failedWriteKeepsOldFile();
    void missingDirectoryFailsQuietly();
    void unwritableDirectoryKeepsOldFile();

    void parseLines_data();
    void parseLines();
    void missingFileFindsNothing();
    void oneLineFileGivesNameOnly();
    void badFiles_data();
    void badFiles();
    void hugeFileIsReadOnlyAtItsHead();
    void directoryOfThatNameIsNoFile();
    void pipeOfThatNameIsNotRead();
};

void tst_CredentialsFile::saveWritesTwoScrambledLines()
{
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("alice"), QStringLiteral("s3cret!")));
    const QByteArray bytes = readAll(filePath(dir));
    QVERIFY(bytes.endsWith("\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith('\r'));
    QCOMPARE(lines[0].size(), 1 + 10 + 5);
    QCOMPARE(lines[1].size(), 10 + 7);
    QVERIFY(!bytes.contains("alice") || lines[0].mid(6, 2) == "00");
    QCOMPARE(UnscrambleText(QString::fromLatin1(lines[0].chopped(1))), QStringLiteral("alice"));
    QCOMPARE(UnscrambleText(QString::fromLatin1(lines[1])), QStringLiteral("s3cret!"));

    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(loaded.fileFound);
    QCOMPARE(loaded.user, QStringLiteral("alice"));
    QCOMPARE(loaded.password, QStringLiteral("s3cret!"));
}

void tst_CredentialsFile::saveNeedsBothValues_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("name typed, password empty") << QStringLiteral("bob") << QString();
    QTest::newRow("password cleared") << QStringLiteral("bob") << QStringLiteral("");
    QTest::newRow("name empty") << QString() << QStringLiteral("pw");
    QTest::newRow("both empty") << QString() << QString();
}

void tst_CredentialsFile::saveNeedsBothValues()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QTemporaryDir dir;
    QVERIFY(!SaveCredentials(dir.path(), user, password));
    QVERIFY(!QFile::exists(filePath(dir)));

    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("old"), QStringLiteral("pair")));
    const QByteArray before = readAll(filePath(dir));
    QVERIFY(!SaveCredentials(dir.path(), user, password));
    QCOMPARE(readAll(filePath(dir)), before);
}

void tst_CredentialsFile::successiveSavesScrambleAfresh()
{
    QTemporaryDir dir;
    QSet<QByteArray> versions;
    for (int i = 0; i < 5; ++i) {
        QVERIFY(SaveCredentials(dir.path(), QStringLiteral("carol"), QStringLiteral("pass")));
        const QByteArray bytes = readAll(filePath(dir));
        versions.insert(bytes);
        const SavedCredentials loaded = LoadCredentials(dir.path());
        QCOMPARE(loaded.user, QStringLiteral("carol"));
        QCOMPARE(loaded.password, QStringLiteral("pass"));
    }
    QCOMPARE(versions.size(), 5);
}

void tst_CredentialsFile::chineseNameIsStoredInGbk()
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("张三abc");
    QVERIFY(SaveCredentials(dir.path(), name, QStringLiteral("密码pw")));
    const QByteArray bytes = readAll(filePath(dir));
    QVERIFY(bytes.contains(cp936::fromUnicode(QStringLiteral("张三"))));
    QVERIFY(bytes.contains(cp936::fromUnicode(QStringLiteral("密码"))));
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QCOMPARE(loaded.user, name);
    QCOMPARE(loaded.password, QStringLiteral("密码pw"));
}

void tst_CredentialsFile::commasComeBackWhole()
{
    QTemporaryDir dir;
    // Every alphabet character once: whatever table is drawn, the scrambled
    // body holds a comma.
    const QString password = scramble::table(0);
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("a,b"), password));
    const QList<QByteArray> lines = readAll(filePath(dir)).split('\n');
    QVERIFY(lines[1].contains(','));
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QCOMPARE(loaded.user, QStringLiteral("a,b"));
    QCOMPARE(loaded.password, password);
}

void tst_CredentialsFile::unencodedCharactersAreSavedAsMarks()
{
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("a\u200Bb"), QStringLiteral("p\uFEFF😀")));

    // The scrambler passes these characters through; the file marks each with
    // a '?' after the ten characters of noise and table number.
    const QList<QByteArray> lines = readAll(filePath(dir)).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0).size(), 10 + 3 + 1);
    QCOMPARE(lines.at(0).at(11), '?');
    QCOMPARE(lines.at(1).size(), 10 + 3 + 1);
    QCOMPARE(lines.at(1).mid(11, 2), QByteArray("??"));
}

void tst_CredentialsFile::roundTripOfGeneratedPairs()
{
    static const QString pool = QString(scramble::table(0)) + QStringLiteral(" \"&':;澄屿高清网络电视");
    QRandomGenerator rng(3);
    const auto generated = [&rng] {
        QString s;
        for (int n = rng.bounded(1, 21); n > 0; --n)
            s.append(pool.at(rng.bounded(int(pool.size()))));
        return s;
    };
    QTemporaryDir dir;
    for (int i = 0; i < 300; ++i) {
        const QString user = generated();
        const QString password = generated();
        QVERIFY(SaveCredentials(dir.path(), user, password));
        const SavedCredentials loaded = LoadCredentials(dir.path());
        QCOMPARE(loaded.user, user);
        QCOMPARE(loaded.password, password);
    }
}

void tst_CredentialsFile::fileIsOwnerOnly()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(0);
    const bool saved = SaveCredentials(dir.path(), QStringLiteral("u"), QStringLiteral("p"));
    ::umask(oldMask);
    QVERIFY(saved);
    QCOMPARE(modeOf(filePath(dir)), mode_t(0600));

    // A file left readable by an earlier program is narrowed on the next save.
    QVERIFY(::chmod(QFile::encodeName(filePath(dir)).constData(), 0644) == 0);
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("u2"), QStringLiteral("p2")));
    QCOMPARE(modeOf(filePath(dir)), mode_t(0600));
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void tst_CredentialsFile::failedWriteKeepsOldFile()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("first"), QStringLiteral("pair")));
    const QByteArray before = readAll(filePath(dir));

    // A file size limit makes every longer write fail as on a full disk.
    struct rlimit old = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    struct rlimit tiny = old;
    tiny.rlim_cur = 8;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
    const bool saved = SaveCredentials(dir.path(), QStringLiteral("second"), QStringLiteral("pair"));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QCOMPARE(readAll(filePath(dir)), before);
    QCOMPARE(LoadCredentials(dir.path()).user, QStringLiteral("first"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QLatin1String(CredentialsFileName)});
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void tst_CredentialsFile::missingDirectoryFailsQuietly()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/dir"));
    QVERIFY(!SaveCredentials(missing, QStringLiteral("u"), QStringLiteral("p")));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!LoadCredentials(missing).fileFound);
}

void tst_CredentialsFile::unwritableDirectoryKeepsOldFile()
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0)
        QSKIP("the superuser writes into read-only directories");
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("first"), QStringLiteral("pair")));
    const QByteArray before = readAll(filePath(dir));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool saved = SaveCredentials(dir.path(), QStringLiteral("second"), QStringLiteral("pair"));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!saved);
    QCOMPARE(readAll(filePath(dir)), before);
#else
    QSKIP("directory modes are a POSIX matter");
#endif
}

void tst_CredentialsFile::parseLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");

    const QByteArray u = scrambledGbk(QStringLiteral("用户x"));
    const QByteArray p = scrambledGbk(QStringLiteral("pw,1"));
    QTest::newRow("CR LF") << u + "\r\n" + p + "\r\n" << QStringLiteral("用户x") << QStringLiteral("pw,1");
    QTest::newRow("LF alone") << u + "\n" + p + "\n" << QStringLiteral("用户x") << QStringLiteral("pw,1");
    QTest::newRow("no last line end") << u + "\r\n" + p << QStringLiteral("用户x") << QStringLiteral("pw,1");
    QTest::newRow("lines after two ignored")
        << u + "\r\n" + p + "\r\n" + u + "\r\nrubbish\r\n" << QStringLiteral("用户x") << QStringLiteral("pw,1");
    QTest::newRow("one line") << u + "\r\n" << QStringLiteral("用户x") << QString();
    QTest::newRow("empty first line") << "\r\n" + p + "\r\n" << QString() << QStringLiteral("pw,1");
    QTest::newRow("short lines") << QByteArray("12345\r\n1234567890\r\n") << QString() << QString();
    QTest::newRow("lone CR stays in the line")
        << QByteArray("1234560078a\rb\r\n") << QStringLiteral("a\rb") << QString();
    QTest::newRow("empty") << QByteArray() << QString() << QString();
}

void tst_CredentialsFile::parseLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, user);
    QFETCH(QString, password);
    const SavedCredentials parsed = parseCredentials(content);
    QCOMPARE(parsed.user, user);
    QCOMPARE(parsed.password, password);
}

void tst_CredentialsFile::missingFileFindsNothing()
{
    QTemporaryDir dir;
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(!loaded.fileFound);
    QVERIFY(!loaded.hasAccount());
}

void tst_CredentialsFile::oneLineFileGivesNameOnly()
{
    QTemporaryDir dir;
    QVERIFY(writeAll(filePath(dir), scrambledGbk(QStringLiteral("dave")) + "\r\n"));
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(loaded.fileFound);
    QVERIFY(loaded.hasAccount());
    QCOMPARE(loaded.user, QStringLiteral("dave"));
    QCOMPARE(loaded.password, QString());
}

void tst_CredentialsFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QRandomGenerator rng(5);
    QByteArray binary(4096, '\0');
    for (char &c : binary)
        c = char(rng.bounded(256));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << binary;
    QTest::newRow("invalid GBK") << QByteArray("1234560078\x81\x20\xff\xfe\x80\r\n12345600\x81\r\n");
    QTest::newRow("lone lead byte at the end") << QByteArray("1234560078ab\x81");
    static const char withNul[] = "12345\0" "0078ab\0cd\r\n";
    QTest::newRow("NUL bytes") << QByteArray(withNul, sizeof withNul - 1);
    QTest::newRow("many lines") << QByteArray(100000, '\n');
}

void tst_CredentialsFile::badFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(writeAll(filePath(dir), content));
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(loaded.fileFound);
    QCOMPARE(loaded.user, parseCredentials(content.left(CredentialsReadLimit)).user);
    QVERIFY(loaded.user.size() <= qMax<qsizetype>(0, content.size() - 10));
}

void tst_CredentialsFile::hugeFileIsReadOnlyAtItsHead()
{
    QTemporaryDir dir;
    QFile file(filePath(dir));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray block(1 << 20, 'A');
    for (int i = 0; i < 64; ++i)
        QVERIFY(file.write(block) == block.size());
    file.close();

    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(loaded.fileFound);
    QCOMPARE(loaded.user.size(), CredentialsReadLimit - 10);
    QCOMPARE(loaded.password, QString());
}

void tst_CredentialsFile::directoryOfThatNameIsNoFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QLatin1String(CredentialsFileName)));
    QVERIFY(!LoadCredentials(dir.path()).fileFound);
    QVERIFY(!SaveCredentials(dir.path(), QStringLiteral("u"), QStringLiteral("p")));
    QVERIFY(QFileInfo(filePath(dir)).isDir());
}

void tst_CredentialsFile::pipeOfThatNameIsNotRead()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    QVERIFY(::mkfifo(QFile::encodeName(filePath(dir)).constData(), 0600) == 0);
    // Opening a pipe without a writer would block for ever.
    const SavedCredentials loaded = LoadCredentials(dir.path());
    QVERIFY(!loaded.fileFound);
    QVERIFY(!loaded.hasAccount());
#else
    QSKIP("named pipes in the file system are a POSIX matter");
#endif
}

QTEST_GUILESS_MAIN(tst_CredentialsFile)
#include "tst_credentialsfile.moc"

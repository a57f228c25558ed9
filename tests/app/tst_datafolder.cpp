#include "app/datafolderchoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr auto kReadOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                           QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr auto kOpen = kReadOnly | QFileDevice::WriteOwner;

// The mode bits, without what they mean for the current user.
QFileDevice::Permissions modeOf(const QString &path)
{
    return QFileInfo(path).permissions() &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// A scratch tree: bin/ (the program folder), home/, a regular file, a
// read-only folder, and share/chengyu-tv when the program is installed.
class Tree
{
public:
    explicit Tree(const QString &programFolder)
    {
        const QDir root(m_dir.path());
        root.mkpath(QStringLiteral("bin"));
        root.mkpath(QStringLiteral("home"));
        root.mkpath(QStringLiteral("locked"));
        QFile file(path(QStringLiteral("$T/file")));
        file.open(QIODevice::WriteOnly);
        if (programFolder == QLatin1String("installed"))
            root.mkpath(QStringLiteral("share/chengyu-tv"));
        if (programFolder == QLatin1String("read-only"))
            QFile::setPermissions(path(QStringLiteral("$T/bin")), kReadOnly);
        QFile::setPermissions(path(QStringLiteral("$T/locked")), kReadOnly);
    }
    ~Tree()
    {
        QFile::setPermissions(path(QStringLiteral("$T/bin")), kOpen);
        QFile::setPermissions(path(QStringLiteral("$T/locked")), kOpen);
    }

    // "$T" in the text stands for the root of the tree.
    QString path(QString text) const { return text.replace(QStringLiteral("$T"), m_dir.path()); }

    QStringList contents() const
    {
        QStringList found;
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        found.sort();
        return found;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("chengyu-tv")); }

    void choice_data()
    {
        QTest::addColumn<QString>("program"); // writable, read-only, installed
        QTest::addColumn<bool>("given");
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("perUser");
        QTest::addColumn<QString>("chosen"); // empty: nothing kept
        QTest::addColumn<bool>("created");

        const QString perUser = QStringLiteral("$T/home/.local/share/chengyu-tv");
        QTest::newRow("writable program folder") << "writable" << false << "" << perUser << "$T/bin" << false;
        QTest::newRow("read-only program folder") << "read-only" << false << "" << perUser << perUser << true;
        QTest::newRow("installed program folder") << "installed" << false << "" << perUser << perUser << true;
        // An existing folder keeps its mode.
        QTest::newRow("forced") << "writable" << true << "$T/home" << perUser << "$T/home" << false;
        QTest::newRow("forced, created") << "read-only" << true << "$T/a/b/" << perUser << "$T/a/b" << true;
        QTest::newRow("forced, empty") << "writable" << true << "" << perUser << "" << false;
        QTest::newRow("forced, relative") << "read-only" << true << "data" << perUser << "" << false;
        QTest::newRow("forced, a file") << "writable" << true << "$T/file" << perUser << "" << false;
        QTest::newRow("forced, below a file") << "writable" << true << "$T/file/d" << perUser << "" << false;
        QTest::newRow("forced, read-only") << "writable" << true << "$T/locked" << perUser << "" << false;
        QTest::newRow("no home") << "read-only" << false << "" << "" << "" << false;
        QTest::newRow("home unwritable") << "read-only" << false << ""
                                         << "$T/locked/.local/share/chengyu-tv" << "" << false;
        QTest::newRow("home is a file") << "installed" << false << "" << "$T/file/.local/share/chengyu-tv" << ""
                                        << false;
        QTest::newRow("per-user folder is a file") << "read-only" << false << "" << "$T/file" << "" << false;
    }
    void choice()
    {
        QFETCH(QString, program);
        QFETCH(bool, given);
        QFETCH(QString, dataDir);
        QFETCH(QString, perUser);
        QFETCH(QString, chosen);
        QFETCH(bool, created);
        const Tree tree(program);
        const QStringList before = tree.contents();
        const QFileDevice::Permissions modeBefore = modeOf(tree.path(chosen));
        LaunchOptions options;
        options.dataDirGiven = given;
        options.dataDir = tree.path(dataDir);

        const DataFolderChoice choice =
            chooseDataFolder(tree.path(QStringLiteral("$T/bin")), options, tree.path(perUser));

        QCOMPARE(choice.dataDir, QDir::cleanPath(tree.path(chosen)));
        QCOMPARE(choice.warning.isEmpty(), !chosen.isEmpty());
        if (chosen.isEmpty()) {
            QCOMPARE(tree.contents(), before); // nothing made anywhere
            return;
        }
        QVERIFY(isWritableFolder(choice.dataDir));
        QCOMPARE(modeOf(choice.dataDir), created ? kOwnerOnly : modeBefore);
        if (!created)
            QCOMPARE(tree.contents(), before);
    }

    void perUserLocationFollowsHome()
    {
        const QByteArray home = qgetenv("HOME");
        const QByteArray xdg = qgetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", "/home/someone");
        const QString withHome = perUserDataLocation();
        qunsetenv("HOME");
        const QString withoutHome = perUserDataLocation();
        qputenv("HOME", home);
        if (!xdg.isEmpty())
            qputenv("XDG_DATA_HOME", xdg);
        QCOMPARE(withHome, QStringLiteral("/home/someone/.local/share/chengyu-tv"));
        QCOMPARE(withoutHome, QString());
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"

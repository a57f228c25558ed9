#include "platform/skinlibrary.h"
#include "recordingwebview.h"
#include "shell/form1.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList runStartUp(const QTemporaryDir &dir, bool withLibrary, bool withSkinFile)
{
    if (withLibrary)
        QFile::copy(QStringLiteral(CHENGYU_FAKESKIN), dir.filePath(QString::fromLatin1(SkinLibrary::FileName)));
    if (withSkinFile) {
        QFile skin(dir.filePath(QStringLiteral("real.she")));
        skin.open(QIODevice::WriteOnly);
    }
    const QString log = dir.filePath(QStringLiteral("calls.log"));
    qputenv("CHENGYU_FAKESKIN_LOG", QFile::encodeName(log));
    Form1 form(dir.path(), ServiceHosts{}, recordingWebViewFactory());
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void libraryAndSkinFile()
    {
        QTemporaryDir dir;
        const QStringList calls = runStartUp(dir, true, true);
        QCOMPARE(calls, (QStringList{"SkinH_Attach||", "SkinH_AttachEx|" + dir.filePath("real.she") + "|",
                                     "SkinH_SetAero|1|"}));
    }

    void libraryWithoutSkinFile()
    {
        QTemporaryDir dir;
        QCOMPARE(runStartUp(dir, true, false), QStringList{"SkinH_Attach||"});
    }

    void skinFileWithoutLibrary()
    {
        QTemporaryDir dir;
        QCOMPARE(runStartUp(dir, false, true), QStringList());
    }

    void fileThatIsNoLibrary()
    {
        QTemporaryDir dir;
        QFile junk(dir.filePath(QString::fromLatin1(SkinLibrary::FileName)));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("MZ not a library for this platform");
        junk.close();
        QCOMPARE(runStartUp(dir, false, true), QStringList()); // skipped, start-up goes on
    }
};

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"

#include "account/credentialsdialog.h"
#include "account/credentialsfile.h"
#include "account/frmlogin.h"
#include "platform/codepage936.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

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

QLineEdit *box(frmLogin &dialog, const char *name)
{
    return dialog.findChild<QLineEdit *>(QLatin1String(name));
}

} // namespace

class tst_CredentialsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nameAloneWritesNothing();
    void everyKeystrokeWithBothBoxesSaves();
    void clearingPasswordKeepsPreviousPair();
    void startFillsBoxesAndSavesOnce();
    void oneLineFileFillsNameOnly();
    void emptyPairLeavesBoxesAlone();
};

void tst_CredentialsDialog::nameAloneWritesNothing()
{
    QTemporaryDir dir;
    frmLogin dialog;
    connectCredentialsSaving(&dialog, dir.path());
    QTest::keyClicks(box(dialog, "txtUserName"), QStringLiteral("erin"));
    QVERIFY(!QFile::exists(filePath(dir)));
}

void tst_CredentialsDialog::everyKeystrokeWithBothBoxesSaves()
{
    QTemporaryDir dir;
    frmLogin dialog;
    connectCredentialsSaving(&dialog, dir.path());
    QTest::keyClicks(box(dialog, "txtPassword"), QStringLiteral("pw"));
    QVERIFY(!QFile::exists(filePath(dir)));

    QByteArray previous;
    const QString name = QStringLiteral("frank");
    for (const QChar c : name) {
        QTest::keyClick(box(dialog, "txtUserName"), c.toLatin1());
        const QByteArray bytes = readAll(filePath(dir));
        QVERIFY(bytes != previous);
        previous = bytes;
        const SavedCredentials saved = LoadCredentials(dir.path());
        QCOMPARE(saved.user, box(dialog, "txtUserName")->text());
        QCOMPARE(saved.password, QStringLiteral("pw"));
    }
    QCOMPARE(LoadCredentials(dir.path()).user, name);
}

void tst_CredentialsDialog::clearingPasswordKeepsPreviousPair()
{
    QTemporaryDir dir;
    frmLogin dialog;
    connectCredentialsSaving(&dialog, dir.path());
    QTest::keyClicks(box(dialog, "txtUserName"), QStringLiteral("gina"));
    QTest::keyClicks(box(dialog, "txtPassword"), QStringLiteral("abc"));
    box(dialog, "txtPassword")->clear();
    const SavedCredentials saved = LoadCredentials(dir.path());
    QCOMPARE(saved.user, QStringLiteral("gina"));
    QCOMPARE(saved.password, QStringLiteral("abc"));
}

void tst_CredentialsDialog::startFillsBoxesAndSavesOnce()
{
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("张三"), QStringLiteral("secret")));
    const QByteArray before = readAll(filePath(dir));

    const SavedCredentials loaded = LoadCredentials(dir.path());
    frmLogin dialog;
    connectCredentialsSaving(&dialog, dir.path());
    fillLoginBoxes(&dialog, loaded.user, loaded.password);

    QCOMPARE(box(dialog, "txtUserName")->text(), QStringLiteral("张三"));
    QCOMPARE(box(dialog, "txtPassword")->text(), QStringLiteral("secret"));
    QVERIFY(!dialog.isVisible());
    const QByteArray after = readAll(filePath(dir));
    QVERIFY(after != before); // scrambled afresh
    const SavedCredentials again = LoadCredentials(dir.path());
    QCOMPARE(again.user, QStringLiteral("张三"));
    QCOMPARE(again.password, QStringLiteral("secret"));
}

void tst_CredentialsDialog::oneLineFileFillsNameOnly()
{
    QTemporaryDir dir;
    QVERIFY(SaveCredentials(dir.path(), QStringLiteral("hank"), QStringLiteral("pw")));
    QByteArray bytes = readAll(filePath(dir));
    bytes.truncate(bytes.indexOf('\n') + 1);
    {
        QFile file(filePath(dir));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    const SavedCredentials loaded = LoadCredentials(dir.path());
    frmLogin dialog;
    connectCredentialsSaving(&dialog, dir.path());
    fillLoginBoxes(&dialog, loaded.user, loaded.password);

    QCOMPARE(box(dialog, "txtUserName")->text(), QStringLiteral("hank"));
    QCOMPARE(box(dialog, "txtPassword")->text(), QString());
    QCOMPARE(readAll(filePath(dir)), bytes);
}

void tst_CredentialsDialog::emptyPairLeavesBoxesAlone()
{
    QTemporaryDir dir;
    frmLogin dialog;
    box(dialog, "txtUserName")->setText(QStringLiteral("kept"));
    box(dialog, "txtPassword")->setText(QStringLiteral("too"));
    fillLoginBoxes(&dialog, QString(), QString());
    QCOMPARE(box(dialog, "txtUserName")->text(), QStringLiteral("kept"));
    QCOMPARE(box(dialog, "txtPassword")->text(), QStringLiteral("too"));
    fillLoginBoxes(nullptr, QStringLiteral("a"), QStringLiteral("b"));
    connectCredentialsSaving(nullptr, dir.path());
}

QTEST_MAIN(tst_CredentialsDialog)
#include "tst_credentialsdialog.moc"

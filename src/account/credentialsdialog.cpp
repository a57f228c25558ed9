#include "credentialsdialog.h"

#include "account/credentialsfile.h"
#include "account/frmlogin.h"

#include <QLineEdit>

void connectCredentialsSaving(frmLogin *dialog, const QString &dataDir)
{
    if (!dialog)
        return;
    const auto save = [dialog, dataDir] {
        SaveCredentials(dataDir, dialog->txtUserName->text(), dialog->txtPassword->text());
    };
    QObject::connect(dialog->txtUserName, &QLineEdit::textChanged, dialog, save);
    QObject::connect(dialog->txtPassword, &QLineEdit::textChanged, dialog, save);
}

void fillLoginBoxes(frmLogin *dialog, const QString &user, const QString &password)
{
    if (!dialog || (user.isEmpty() && password.isEmpty()))
        return;
    dialog->setAccount(user, password);
}

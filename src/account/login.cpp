#include "login.h"

#include "account/credentialsdialog.h"
#include "account/fetch.h"
#include "account/frmlogin.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

const QString kCharset = QStringLiteral("gb2312");

} // namespace

AccountGrade accountGrade(const QString &statusText)
{
    if (statusText.contains(VipMarker))
        return AccountGrade::Vip;
    if (statusText.contains(OrdinaryMarker))
        return AccountGrade::Ordinary;
    return AccountGrade::None;
}

QString accountTitle(const QString &name, const QString &answer)
{
    return QStringLiteral("澄屿高清网络电视 V2.7 账号：") + name + u' ' + answer;
}

Login::Login(QWidget *window, const SavedCredentials &saved, const Endpoints &endpoints,
             const QString &credentialsDir, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_saved(saved)
    , m_endpoints(endpoints)
    , m_credentialsDir(credentialsDir)
{
}

frmLogin *Login::dialog()
{
    if (m_unloaded)
        return nullptr; // closing the main window unloaded the dialog for good
    if (!m_dialog) {
        m_dialog = new frmLogin(m_window);
        connectCredentialsSaving(m_dialog, m_credentialsDir);
        connect(m_dialog->cmdOK, &QPushButton::clicked, this, &Login::cmdOK_Click);
        connect(m_dialog->cmdCancel, &QPushButton::clicked, this, &Login::cmdCancel_Click);
        connect(m_dialog->Command1, &QPushButton::clicked, this, &Login::Command1_Click);
        connect(m_dialog, &frmLogin::discarded, this, [this] { m_dialog = nullptr; });
        m_dialog->hide();
    }
    return m_dialog;
}

void Login::unload()
{
    m_unloaded = true;
    // Later, not at once: the close may come while a login started from the
    // dialog still waits for the service inside the dialog's own click.
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->deleteLater();
        m_dialog = nullptr;
    }
}

// Puts the answer into the status box and reads it back. Without a dialog
// (the main window has closed during the wait) the answer stands alone.
QString Login::showAnswer(const QString &answer)
{
    frmLogin *box = dialog();
    if (!box)
        return answer;
    box->Text1->setText(answer);
    return box->Text1->text();
}

void Login::MailDenglu()
{
    const QString user = m_saved.user;
    const QString password = m_saved.password;
    if (user.isEmpty() || password.isEmpty())
        return;
    if (frmLogin *box = dialog())
        box->setAccount(user, password);

    const QString answer = FetchUrlText(m_endpoints.login(user, password), kCharset);
    const QString status = showAnswer(answer);

    // Two separate tests, in this order: an answer holding both words runs both.
    if (status.contains(VipMarker)) {
        Q_EMIT titleChanged(accountTitle(user, status));
        Q_EMIT layoutDue();
        Q_EMIT openInNotice(m_endpoints.verification(user));
    }
    if (status.contains(OrdinaryMarker)) {
        Q_EMIT titleChanged(accountTitle(user, status));
        Q_EMIT openInNotice(m_endpoints.verification(user));
    }
    if (!status.contains(VipMarker) && !status.contains(OrdinaryMarker))
        Q_EMIT openInNotice(m_endpoints.verificationGuest());
}

void Login::cmdOK_Click()
{
    QPointer<frmLogin> clicked = dialog();
    if (!clicked)
        return;
    const QString user = clicked->txtUserName->text();
    const QString password = clicked->txtPassword->text();
    if (!user.isEmpty() && !password.isEmpty()) {
        const QString answer = FetchUrlText(m_endpoints.login(user, password), kCharset);
        const QString status = showAnswer(answer);
        for (const QString &grade : {VipMarker, OrdinaryMarker}) {
            if (!status.contains(grade))
                continue;
            // The name box as it is now; the name that was sent when the
            // dialog was closed (and discarded) during the wait.
            const QString name = clicked ? clicked->txtUserName->text() : user;
            Q_EMIT titleChanged(accountTitle(name, status));
            if (frmLogin *shown = dialog())
                shown->hide();
            Q_EMIT openInNotice(m_endpoints.verification(name));
        }
        frmLogin *current = dialog();
        if (status.contains(RejectedMarker) && current) {
            QLineEdit *box = current->txtPassword;
            box->setFocus();
            // Caret to the start, then the selection to the end: the next
            // keystroke replaces the password.
            box->home(false);
            box->end(true);
        }
    }
    Q_EMIT focusKeeper(true);
}

void Login::cmdCancel_Click()
{
    if (frmLogin *shown = dialog())
        shown->hide();
    Q_EMIT focusKeeper(true);
}

void Login::Command1_Click()
{
    Q_EMIT openInPlayer(m_endpoints.signUp());
}

void Login::denglu_Click()
{
    Q_EMIT focusKeeper(false);
    frmLogin *shown = dialog();
    if (!shown)
        return;
    if (!shown->property("placed").toBool()) {
        shown->setProperty("placed", true);
        if (const QScreen *screen = shown->screen())
            shown->move(screen->availableGeometry().center() - shown->rect().center());
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void Login::verifyOnHost2(const QString &name)
{
    if (name.isEmpty())
        return;
    const QString status = m_dialog ? m_dialog->Text1->text() : QString();
    if (accountGrade(status) == AccountGrade::None)
        Q_EMIT openInNotice(m_endpoints.verificationHost2(name));
}

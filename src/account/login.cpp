#include "login.h"

#include "account/fetch.h"
#include "account/frmlogin.h"
#include "webview/webview.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

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

Login::Login(LoginContext context, QObject *parent)
    : QObject(parent)
    , m(std::move(context))
{
}

void Login::attach(frmLogin *dialog)
{
    connect(dialog->cmdOK, &QPushButton::clicked, this, &Login::cmdOK_Click);
    connect(dialog->cmdCancel, &QPushButton::clicked, this, &Login::cmdCancel_Click);
    connect(dialog->Command1, &QPushButton::clicked, this, &Login::Command1_Click);
}

// Puts the answer into the status box and reads it back. Without a dialog
// (the main window has closed during the wait) the answer stands alone.
QString Login::showAnswer(const QString &answer) const
{
    frmLogin *dialog = m.loginDialog();
    if (!dialog)
        return answer;
    dialog->Text1->setText(answer);
    return dialog->Text1->text();
}

void Login::MailDenglu()
{
    const QString user = m.savedUser();
    const QString password = m.savedPassword();
    if (user.isEmpty() || password.isEmpty())
        return;
    if (frmLogin *dialog = m.loginDialog()) {
        dialog->setAccount(user, password);
    }

    const QString answer = FetchUrlText(m.endpoints.login(user, password), kCharset);
    const QString status = showAnswer(answer);

    // Two separate tests, in this order: an answer holding both words runs both.
    if (status.contains(VipMarker)) {
        m.setTitle(accountTitle(user, status));
        m.runLayout();
        m.WebBrowser2->Navigate(m.endpoints.verification(user));
    }
    if (status.contains(OrdinaryMarker)) {
        m.setTitle(accountTitle(user, status));
        m.WebBrowser2->Navigate(m.endpoints.verification(user));
    }
    if (!status.contains(VipMarker) && !status.contains(OrdinaryMarker))
        m.WebBrowser2->Navigate(m.endpoints.verificationGuest());
}

void Login::cmdOK_Click()
{
    QPointer<frmLogin> clicked = m.loginDialog();
    if (!clicked)
        return;
    const QString user = clicked->txtUserName->text();
    const QString password = clicked->txtPassword->text();
    if (!user.isEmpty() && !password.isEmpty()) {
        const QString answer = FetchUrlText(m.endpoints.login(user, password), kCharset);
        const QString status = showAnswer(answer);
        for (const QString &grade : {VipMarker, OrdinaryMarker}) {
            if (!status.contains(grade))
                continue;
            // The name box as it is now; the name that was sent when the
            // dialog was closed (and discarded) during the wait.
            const QString name = clicked ? clicked->txtUserName->text() : user;
            m.setTitle(accountTitle(name, status));
            if (frmLogin *dialog = m.loginDialog())
                dialog->hide();
            m.WebBrowser2->Navigate(m.endpoints.verification(name));
        }
        frmLogin *dialog = m.loginDialog();
        if (status.contains(RejectedMarker) && dialog) {
            QLineEdit *box = dialog->txtPassword;
            box->setFocus();
            // Caret to the start, then the selection to the end: the next
            // keystroke replaces the password.
            box->home(false);
            box->end(true);
        }
    }
    switchTimer2On();
}

void Login::cmdCancel_Click()
{
    if (frmLogin *dialog = m.loginDialog())
        dialog->hide();
    switchTimer2On();
}

void Login::Command1_Click()
{
    m.WebBrowser1->Navigate(m.endpoints.signUp());
}

void Login::denglu_Click()
{
    m.Timer2->stop();
    frmLogin *dialog = m.loginDialog();
    if (!dialog)
        return;
    if (!dialog->property("placed").toBool()) {
        dialog->setProperty("placed", true);
        if (const QScreen *screen = dialog->screen())
            dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void Login::switchTimer2On()
{
    // Switching on a timer that runs already leaves its countdown alone.
    if (!m.Timer2->isActive())
        m.Timer2->start();
}

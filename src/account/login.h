#pragma once

#include "account/credentialsfile.h"
#include "account/endpoints.h"
#include "account/frmlogin.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// The account grade, read from the text of the login dialog's status box.
enum class AccountGrade { None, Ordinary, Vip };

inline const QString VipMarker = QStringLiteral("VIP用户");
inline const QString OrdinaryMarker = QStringLiteral("普通用户");
inline const QString RejectedMarker = QStringLiteral("账号或者密码错误");

AccountGrade accountGrade(const QString &statusText);
// "澄屿高清网络电视 V2.7 账号：", the name, one blank, the whole answer.
QString accountTitle(const QString &name, const QString &answer);

// The login dialog and the logins: the automatic one from the saved account,
// the manual one behind 登陆, and the dialog's other buttons. What the rest
// of the window should do it asks for through its signals. Every fetch runs
// the event loop, so the dialog is looked up again after it: it may have
// been closed (and discarded) meanwhile.
class Login : public QObject
{
    Q_OBJECT
public:
    // window: the dialog's parent. saved: the account read at start.
    // credentialsDir: where every change of the dialog's boxes saves them.
    Login(QWidget *window, const SavedCredentials &saved, const Endpoints &endpoints, const QString &credentialsDir,
          QObject *parent = nullptr);

    // The dialog, created hidden on first use; null once unload() has run.
    frmLogin *dialog();
    frmLogin *existingDialog() const { return m_dialog; }
    // The main window closes: the dialog goes, and no dialog is made again.
    void unload();

    void MailDenglu();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Command1_Click();
    void denglu_Click();
    // The TV list came from service host 2: with no grade known yet, that
    // host's verification page goes into the notice view.
    void verifyOnHost2(const QString &name);

Q_SIGNALS:
    void titleChanged(const QString &title);
    // A VIP answer: the layout runs at once.
    void layoutDue();
    void openInPlayer(const QString &url);
    void openInNotice(const QString &url);
    // Switches the quick-select focus keeper (Timer2) on or off.
    void focusKeeper(bool on);

private:
    QString showAnswer(const QString &answer);

    QPointer<QWidget> m_window;
    const SavedCredentials &m_saved;
    Endpoints m_endpoints;
    QString m_credentialsDir;
    QPointer<frmLogin> m_dialog;
    bool m_unloaded = false;
};

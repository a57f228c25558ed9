#pragma once

#include "account/endpoints.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;
class WebView;
class frmLogin;

// The account grade, read from the text of the login dialog's status box.
enum class AccountGrade { None, Ordinary, Vip };

inline const QString VipMarker = QStringLiteral("VIP用户");
inline const QString OrdinaryMarker = QStringLiteral("普通用户");
inline const QString RejectedMarker = QStringLiteral("账号或者密码错误");

AccountGrade accountGrade(const QString &statusText);
// "澄屿高清网络电视 V2.7 账号：", the name, one blank, the whole answer.
QString accountTitle(const QString &name, const QString &answer);

// What the logins need of the main window.
struct LoginContext
{
    // The dialog, created hidden when needed; null once the main window has closed.
    std::function<frmLogin *()> loginDialog;
    std::function<QString()> savedUser;
    std::function<QString()> savedPassword;
    std::function<void(const QString &)> setTitle;
    std::function<void()> runLayout;
    WebView *WebBrowser1 = nullptr;
    WebView *WebBrowser2 = nullptr;
    QTimer *Timer2 = nullptr;
    Endpoints endpoints{ServiceHosts{}};
};

// The automatic login, the manual login behind 登陆 and the dialog's other
// buttons. Every fetch runs the event loop, so the dialog is looked up again
// after it: it may have been closed (and discarded) meanwhile.
class Login : public QObject
{
    Q_OBJECT
public:
    explicit Login(LoginContext context, QObject *parent = nullptr);

    // Connects a newly created dialog's buttons to the handlers below.
    void attach(frmLogin *dialog);

    void MailDenglu();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Command1_Click();
    void denglu_Click();

private:
    void switchTimer2On();
    QString showAnswer(const QString &answer) const;

    LoginContext m;
};

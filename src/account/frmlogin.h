#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The login dialog: account name, password, the status box that keeps the
// last login answer, and the buttons 登陆, 取消 and 用户注册.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    QLineEdit *Text1;
    QPushButton *Command1;
    QLineEdit *txtUserName;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QLineEdit *txtPassword;
    QLabel *lblLabels[2];

    // Puts an account into the boxes, the name first. Text the program puts
    // there is kept whole, however long; typing and pasting stop at 20.
    void setAccount(const QString &user, const QString &password);

Q_SIGNALS:
    // Closed through the title bar: the dialog is discarded after this.
    void discarded();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
};

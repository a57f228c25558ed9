#include "frmlogin.h"

#include "platform/artwork.h"
#include "platform/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <limits>

namespace {

constexpr int kMaxTyped = 20;

// Limits what the user types or pastes to 20 characters: a paste keeps its
// first characters that fit, as a maximum length does. Unlike a maximum
// length it leaves text the program puts in the box whole (a saved account is
// never cut), and it still lets the user shorten such a text.
class TypedLengthValidator : public QValidator
{
public:
    explicit TypedLengthValidator(QLineEdit *box)
        : QValidator(box)
    {
        connect(box, &QLineEdit::textChanged, this,
                [this](const QString &text) { m_limit = qMax<qsizetype>(kMaxTyped, text.size()); });
    }
    // The program is about to set a text of this length.
    void allow(qsizetype length) { m_limit = qMax(m_limit, length); }

    // An edit leaves the caret behind what it inserted, so what follows the
    // caret is the text that was there; the inserted text is cut from its end.
    State validate(QString &input, int &pos) const override
    {
        if (input.size() <= m_limit)
            return Acceptable;
        const qsizetype after = qBound<qsizetype>(0, input.size() - pos, m_limit);
        input = input.left(m_limit - after) + input.right(after);
        pos = int(m_limit - after);
        return Acceptable;
    }

private:
    qsizetype m_limit = kMaxTyped;
};

void limitTyping(QLineEdit *box)
{
    box->setValidator(new TypedLengthValidator(box));
}

void putWhole(QLineEdit *box, const QString &text)
{
    if (auto *limit = box->findChild<TypedLengthValidator *>())
        limit->allow(text.size());
    box->setText(text);
}

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace

frmLogin::frmLogin(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("澄屿用户登录"));
    setWindowIcon(artwork::gemIcon(artwork::GreenGem));
    setModal(false);
    setFixedSize(twipsToPixels(3756), twipsToPixels(1896));
    createControls();
}

void frmLogin::createControls()
{
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setMaxLength(std::numeric_limits<int>::max()); // the whole answer, however long
    Text1->setStyleSheet(QStringLiteral("QLineEdit { background-color: #E0E0E0; }"));
    place(Text1, 0, 1440, 3735, 375);

    Command1 = new QPushButton(QStringLiteral("用户注册"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 2520, 1020, 1140, 390);

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    limitTyping(txtUserName);
    place(txtUserName, 930, 135, 2685, 345);

    cmdOK = new QPushButton(QStringLiteral("登陆"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    place(cmdOK, 120, 1020, 1140, 390);

    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    place(cmdCancel, 1320, 1020, 1140, 390);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    limitTyping(txtPassword);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    txtPassword->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtPassword->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    place(txtPassword, 930, 525, 2685, 345);

    lblLabels[0] = new QLabel(QStringLiteral("用户(&U):"), this);
    lblLabels[0]->setObjectName(QStringLiteral("lblLabels"));
    lblLabels[0]->setProperty("Index", 0);
    lblLabels[0]->setBuddy(txtUserName);
    place(lblLabels[0], 105, 150, 1080, 270);

    lblLabels[1] = new QLabel(QStringLiteral("密码(&P):"), this);
    lblLabels[1]->setObjectName(QStringLiteral("lblLabels"));
    lblLabels[1]->setProperty("Index", 1);
    lblLabels[1]->setBuddy(txtPassword);
    place(lblLabels[1], 105, 540, 1080, 270);

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, Command1);
    setTabOrder(Command1, Text1);
}

void frmLogin::setAccount(const QString &user, const QString &password)
{
    putWhole(txtUserName, user);
    putWhole(txtPassword, password);
}

void frmLogin::keyPressEvent(QKeyEvent *event)
{
    // Esc is the sign-up button's key here, not a way to close the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Command1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmLogin::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT discarded();
    deleteLater();
}

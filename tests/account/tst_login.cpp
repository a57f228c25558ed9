#include "account/credentialsfile.h"
#include "account/frmlogin.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "testhttpserver.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kLogin = QStringLiteral("/user/denglu.asp");
const QString kDesignTitle = QStringLiteral("澄屿高清网络电视 V2.7");

RecordingWebView *rec(WebView *view) { return static_cast<RecordingWebView *>(view); }

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHttpServer> host1;
    std::unique_ptr<TestHttpServer> host2;
    std::unique_ptr<QTemporaryDir> dir;

    std::unique_ptr<Form1> makeForm(const QString &user = {}, const QString &password = {})
    {
        if (!user.isEmpty() && !password.isEmpty())
            SaveCredentials(dir->path(), user, password);
        else if (!user.isEmpty())
            saveAccountNameOnly(dir->path(), user);
        auto form = std::make_unique<Form1>(dir->path(), ServiceHosts{host1->baseUrl(), host2->baseUrl()},
                                            recordingWebViewFactory());
        form->show();
        controls(*form).Timer1->stop(); // the tests run the logins themselves
        return form;
    }
    QString verification(const QString &query) const
    {
        return host1->url(QStringLiteral("/user/yanzhen.asp") + query);
    }

private Q_SLOTS:
    void init()
    {
        host1 = std::make_unique<TestHttpServer>();
        host2 = std::make_unique<TestHttpServer>();
        dir = std::make_unique<QTemporaryDir>();
    }

    void automaticVipLogin()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("VIP用户")));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const int playerHeight = form->layoutState().WebBrowser1.height;
        form->MailDenglu();
        QCOMPARE(host1->requests(), QStringList{kLogin + "?yh=abc&pw=pw"});
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：abc VIP用户"));
        QCOMPARE(form->existingLoginDialog()->Text1->text(), QStringLiteral("VIP用户"));
        QCOMPARE(form->layoutState().WebBrowser2.top, playerHeight + 3000); // the VIP layout at once
        QCOMPARE(rec(controls(*form).WebBrowser2)->lastNavigation(), verification("?yh=abc"));
        QVERIFY(!form->existingLoginDialog()->isVisible());
    }

    void automaticOrdinaryLoginKeepsTheWholeAnswer()
    {
        const QString answer = QStringLiteral("普通用户，有效期至2027年");
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(answer));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        const LayoutState before = form->layoutState();
        form->MailDenglu();
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：abc ") + answer);
        QCOMPARE(form->layoutState().WebBrowser2.top, before.WebBrowser2.top); // layout not run
        QCOMPARE(rec(controls(*form).WebBrowser2)->lastNavigation(), verification("?yh=abc"));
    }

    void automaticLoginWithoutGradeLoadsGuestPage_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("rejected") << QStringLiteral("账号或者密码错误");
        QTest::newRow("empty") << QString();
        QTest::newRow("other text") << QStringLiteral("服务器维护中");
    }
    void automaticLoginWithoutGradeLoadsGuestPage()
    {
        QFETCH(QString, answer);
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(answer));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        form->MailDenglu();
        QCOMPARE(form->windowTitle(), kDesignTitle);
        QCOMPARE(rec(controls(*form).WebBrowser2)->lastNavigation(), verification("?yh=guest"));
        QCOMPARE(form->existingLoginDialog()->Text1->text(), answer);
    }

    void answerWithBothGradesRunsBothSteps()
    {
        const QString answer = QStringLiteral("VIP用户 普通用户");
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(answer));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        const int playerHeight = form->layoutState().WebBrowser1.height;
        form->MailDenglu();
        QCOMPARE(form->layoutState().WebBrowser2.top, playerHeight + 3000);
        // The verification page is asked for by each of the two steps.
        QCOMPARE(rec(controls(*form).WebBrowser2)->navigations.count(verification("?yh=abc")), 2);
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：abc ") + answer);
    }

    void openingTheDialogAfterTheAutomaticLogin()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("普通用户")));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        form->MailDenglu();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtUserName->text(), QStringLiteral("abc"));
        QCOMPARE(dialog->txtPassword->text(), QStringLiteral("pw"));
        QCOMPARE(dialog->txtPassword->displayText(), QStringLiteral("**"));
        QCOMPARE(dialog->Text1->text(), QStringLiteral("普通用户"));
    }

    void manualLoginAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("dialogStays");
        QTest::addColumn<bool>("titled");
        QTest::newRow("ordinary") << QStringLiteral("普通用户") << false << true;
        QTest::newRow("no marker word") << QStringLiteral("服务器维护中") << true << false;
        QTest::newRow("no answer") << QString() << true << false;
    }
    void manualLoginAnswers()
    {
        QFETCH(QString, answer);
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(answer));
        auto form = makeForm();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        dialog->txtUserName->setText(QStringLiteral("abc"));
        dialog->txtPassword->setText(QStringLiteral("pw"));
        dialog->cmdOK->click();
        QTEST(dialog->isVisible(), "dialogStays");
        QCOMPARE(dialog->Text1->text(), answer);
        QFETCH(bool, titled);
        QCOMPARE(form->windowTitle(), titled ? QStringLiteral("澄屿高清网络电视 V2.7 账号：abc ") + answer : kDesignTitle);
        QCOMPARE(rec(controls(*form).WebBrowser2)->navigations.contains(verification("?yh=abc")), titled);
        QVERIFY(controls(*form).Timer2->isActive());
    }

    void noAutomaticLoginWithoutPassword()
    {
        auto form = makeForm(QStringLiteral("abc"));
        form->MailDenglu();
        QCOMPARE(host1->requestCount(), 0);
        QCOMPARE(rec(controls(*form).WebBrowser2)->navigations.size(), 1);
    }

    void queryValuesReachTheServiceAsTyped()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("普通用户")));
        auto form = makeForm(QStringLiteral("张三"), QStringLiteral("a&b+c"));
        form->MailDenglu();
        QCOMPARE(host1->lastRequest(), kLogin + "?yh=%D5%C5%C8%FD&pw=a%26b%2Bc");
    }

    void manualLoginRejected()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("账号或者密码错误")));
        auto form = makeForm();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        QVERIFY(dialog->isVisible());
        QVERIFY(!controls(*form).Timer2->isActive());
        QTest::keyClicks(dialog->txtUserName, QStringLiteral("abc"));
        QTest::keyClicks(dialog->txtPassword, QStringLiteral("secret"));
        dialog->cmdOK->click();
        QCOMPARE(host1->lastRequest(), kLogin + "?yh=abc&pw=secret");
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtPassword->selectedText(), QStringLiteral("secret"));
        QCOMPARE(form->windowTitle(), kDesignTitle);
        QVERIFY(controls(*form).Timer2->isActive());
    }

    void manualLoginWithEmptyPasswordSendsNothing()
    {
        auto form = makeForm();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        QTest::keyClicks(dialog->txtUserName, QStringLiteral("abc"));
        QTest::keyClick(dialog->txtUserName, Qt::Key_Return); // Enter presses 登陆
        QCOMPARE(host1->requestCount(), 0);
        QVERIFY(controls(*form).Timer2->isActive());
    }

    void manualVipLoginHidesTheDialog()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("VIP用户")));
        auto form = makeForm();
        const LayoutState before = form->layoutState();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        dialog->txtUserName->setText(QStringLiteral("vip"));
        dialog->txtPassword->setText(QStringLiteral("pw"));
        dialog->cmdOK->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：vip VIP用户"));
        QCOMPARE(rec(controls(*form).WebBrowser2)->lastNavigation(), verification("?yh=vip"));
        QCOMPARE(form->layoutState().WebBrowser2.top, before.WebBrowser2.top); // waits for the next resize
        QVERIFY(controls(*form).Timer2->isActive());
        QCOMPARE(form->SavedUser(), QString()); // the manual login leaves the saved account alone
    }

    void manualLoginWhileAutomaticWaits()
    {
        TestHttpAnswer slow = TestHttpAnswer::gbk(QStringLiteral("普通用户 自动"));
        slow.delayMs = 800;
        host1->setAnswer(kLogin + "?yh=abc&pw=pw", slow);
        host1->setAnswer(kLogin + "?yh=vip&pw=pw2", TestHttpAnswer::gbk(QStringLiteral("VIP用户 手动")));
        auto form = makeForm(QStringLiteral("abc"), QStringLiteral("pw"));
        QStringList titles;
        connect(form.get(), &QWidget::windowTitleChanged, form.get(), [&](const QString &t) { titles.append(t); });
        QTimer::singleShot(100, form.get(), [&] {
            frmLogin *dialog = form->loginDialog();
            dialog->txtUserName->setText(QStringLiteral("vip"));
            dialog->txtPassword->setText(QStringLiteral("pw2"));
            dialog->cmdOK->click();
        });
        form->MailDenglu();
        QCOMPARE(titles.size(), 2);
        QVERIFY(titles.at(0).endsWith(QStringLiteral("账号：vip VIP用户 手动")));
        QVERIFY(titles.at(1).endsWith(QStringLiteral("账号：abc 普通用户 自动")));
        QCOMPARE(form->existingLoginDialog()->Text1->text(), QStringLiteral("普通用户 自动"));
    }

    void closingTheMainWindowWhileAManualLoginWaits()
    {
        TestHttpAnswer slow = TestHttpAnswer::gbk(QStringLiteral("VIP用户"));
        slow.delayMs = 800;
        host1->setAnswer(kLogin, slow);
        auto form = makeForm();
        controls(*form).denglu->trigger();
        QPointer<frmLogin> dialog = form->existingLoginDialog();
        dialog->txtUserName->setText(QStringLiteral("abc"));
        dialog->txtPassword->setText(QStringLiteral("pw"));
        QTimer::singleShot(100, form.get(), [&] { form->close(); });
        dialog->cmdOK->click(); // returns after the answer, the main window closed meanwhile
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：abc VIP用户"));
        QTRY_VERIFY(dialog.isNull());
    }

    void dialogButtons()
    {
        auto form = makeForm();
        controls(*form).Timer2->stop();
        controls(*form).denglu->trigger();
        frmLogin *dialog = form->existingLoginDialog();
        QTest::keyClick(dialog, Qt::Key_Escape); // 用户注册
        QCOMPARE(rec(controls(*form).WebBrowser1)->lastNavigation(), host1->url(QStringLiteral("/user/reg.asp")));
        QVERIFY(dialog->isVisible());
        dialog->cmdCancel->click();
        QVERIFY(!dialog->isVisible());
        QVERIFY(controls(*form).Timer2->isActive());
        controls(*form).denglu->trigger();
        QVERIFY(!controls(*form).Timer2->isActive());
        QVERIFY(dialog->isVisible());
    }

    void closingThroughTitleBarDiscardsTheDialog()
    {
        host1->setAnswer(kLogin, TestHttpAnswer::gbk(QStringLiteral("普通用户")));
        auto form = makeForm();
        controls(*form).denglu->trigger();
        QPointer<frmLogin> dialog = form->existingLoginDialog();
        dialog->txtUserName->setText(QStringLiteral("abc"));
        dialog->txtPassword->setText(QStringLiteral("pw"));
        dialog->cmdOK->click();
        controls(*form).denglu->trigger();
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
        QVERIFY(!controls(*form).Timer2->isActive());
        controls(*form).denglu->trigger();
        frmLogin *fresh = form->existingLoginDialog();
        QVERIFY(fresh);
        QVERIFY(fresh->txtUserName->text().isEmpty());
        QVERIFY(fresh->Text1->text().isEmpty());
        // The new dialog works like the first one.
        fresh->cmdCancel->click();
        QVERIFY(!fresh->isVisible());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"

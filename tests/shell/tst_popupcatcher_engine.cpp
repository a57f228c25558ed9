#include "pageserver.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "webview/enginewebview.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const ServiceHosts kHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};
constexpr int kLoadTimeout = 20000;

QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            shown.append(w);
    }
    return shown;
}

} // namespace

// The main window on the real engine: a page in the player calls window.open.
class TestPopupCatcherEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void popupLoadsHiddenAndIsBlanked()
    {
        PageServer server;
        QVERIFY(server.isListening());
        server.pages["/opener"] = "<html><body>channel<script>window.open('/popup', 'ad', 'width=300');</script>"
                                  "</body></html>";
        server.pages["/popup"] = "<html><body>popup page</body></html>";

        QTemporaryDir dir;
        Form1 form(dir.path(), kHosts, engineWebViewFactory());
        form.show();
        controls(form).Timer1->stop();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QList<QWidget *> shownBefore = visibleTopLevels();

        QStringList completed;
        connect(controls(form).WebBrowser3, &WebView::DocumentComplete, &form,
                [&completed](const QString &url) { completed.append(url); });
        controls(form).WebBrowser1->Navigate(server.url("/opener"));

        const QString popup = server.url("/popup");
        QTRY_VERIFY_WITH_TIMEOUT(completed.contains(popup), kLoadTimeout);
        QCOMPARE(server.requested.count("/popup"), 1);
        QVERIFY(controls(form).WebBrowser3->isHidden());
        QCOMPARE(visibleTopLevels(), shownBefore);
        QCOMPARE(controls(form).WebBrowser1->LocationURL(), server.url("/opener"));

        // 500 ms after it completed the catcher is blanked, and stays so.
        QTRY_COMPARE_WITH_TIMEOUT(controls(form).WebBrowser3->LocationURL(), QStringLiteral("about:blank"), kLoadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(completed.endsWith(QStringLiteral("about:blank")), kLoadTimeout);
        const int completions = completed.size();
        QTest::qWait(1500);
        QCOMPARE(completed.size(), completions);
        QVERIFY(!controls(form).Timer4->isActive());
        QCOMPARE(controls(form).WebBrowser3->BodyText().value_or(QStringLiteral("?")), QString());
        QCOMPARE(visibleTopLevels(), shownBefore);
        QCOMPARE(server.requested.count("/popup"), 1);
    }
};

QTEST_MAIN(TestPopupCatcherEngine)
#include "tst_popupcatcher_engine.moc"

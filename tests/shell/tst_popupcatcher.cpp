#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const ServiceHosts kHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};
const QString kBlank = QStringLiteral("about:blank");

RecordingWebView *catcher(Form1 &form) { return static_cast<RecordingWebView *>(controls(form).WebBrowser3); }

std::unique_ptr<Form1> makeForm(const QTemporaryDir &dir)
{
    return std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory());
}

// A page in the player opens a new window; the view the handler names gets it.
WebView *openWindow(Form1 &form, bool *cancel)
{
    WebView *target = nullptr;
    Q_EMIT controls(form).WebBrowser1->NewWindow2(&target, cancel);
    if (target)
        target->Navigate(QStringLiteral("http://ads/pop"));
    return target;
}

} // namespace

class TestPopupCatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newWindowGoesToTheHiddenCatcher()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        form->show();
        controls(*form).Timer1->stop();
        controls(*form).WebBrowser3->setVisible(true);
        bool cancel = false;
        QCOMPARE(openWindow(*form, &cancel), controls(*form).WebBrowser3);
        QVERIFY(!cancel);
        QVERIFY(controls(*form).WebBrowser3->isHidden());
        QVERIFY(!controls(*form).Timer4->isActive());
        QCOMPARE(catcher(*form)->navigations, QStringList{QStringLiteral("http://ads/pop")});
    }

    void newWindowWithoutPointersIsHarmless()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        controls(*form).catcher->WebBrowser1_NewWindow2(nullptr, nullptr);
        QVERIFY(controls(*form).WebBrowser3->isHidden());
    }

    void completedPageIsBlankedOnTheNextTick()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        bool cancel = false;
        openWindow(*form, &cancel);
        catcher(*form)->finishLoad(QStringLiteral("advert"));
        QVERIFY(controls(*form).Timer4->isActive());
        QCOMPARE(controls(*form).Timer4->interval(), 500);
        // A second page completing meanwhile does not put the blanking off.
        QTest::qWait(200);
        const int remaining = controls(*form).Timer4->remainingTime();
        catcher(*form)->finishLoad(QStringLiteral("second advert"));
        QVERIFY(controls(*form).Timer4->remainingTime() <= remaining);
        controls(*form).catcher->Timer4_Timer();
        QVERIFY(!controls(*form).Timer4->isActive());
        QCOMPARE(catcher(*form)->lastNavigation(), kBlank);
    }

    void incompleteDocumentDoesNotArmTheTimer()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        bool cancel = false;
        openWindow(*form, &cancel);
        QCOMPARE(controls(*form).WebBrowser3->ReadyState(), int(WebView::Loading));
        // A frame of the page completes while the page itself still loads.
        controls(*form).catcher->WebBrowser3_DocumentComplete(QStringLiteral("http://ads/frame"));
        QVERIFY(!controls(*form).Timer4->isActive());
    }

    void blankingDoesNotRearmTheTimer()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        bool cancel = false;
        openWindow(*form, &cancel);
        catcher(*form)->finishLoad(QStringLiteral("advert"));
        controls(*form).catcher->Timer4_Timer();
        catcher(*form)->finishLoad(QString()); // the blank page completes
        QVERIFY(!controls(*form).Timer4->isActive());
        QCOMPARE(catcher(*form)->navigations, (QStringList{QStringLiteral("http://ads/pop"), kBlank}));

        // The next pop-up is caught and blanked like the first.
        openWindow(*form, &cancel);
        catcher(*form)->finishLoad(QStringLiteral("advert"));
        QVERIFY(controls(*form).Timer4->isActive());
        controls(*form).catcher->Timer4_Timer();
        QCOMPARE(catcher(*form)->lastNavigation(), kBlank);
    }

    void blankPopupIsStillBlanked()
    {
        // A pop-up opened on the blank address and written by script must
        // not be taken for the catcher's own blanking.
        QTemporaryDir dir;
        auto form = makeForm(dir);
        bool cancel = false;
        openWindow(*form, &cancel);
        catcher(*form)->finishLoad(QStringLiteral("advert"));
        controls(*form).catcher->Timer4_Timer();
        WebView *target = nullptr;
        Q_EMIT controls(*form).WebBrowser1->NewWindow2(&target, &cancel);
        controls(*form).WebBrowser3->Navigate(kBlank);
        catcher(*form)->finishLoad(QStringLiteral("written by script"));
        QVERIFY(controls(*form).Timer4->isActive());
    }

    void timerTicksBlankTheCatcher()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        bool cancel = false;
        openWindow(*form, &cancel);
        catcher(*form)->finishLoad(QStringLiteral("advert"));
        QTRY_COMPARE_WITH_TIMEOUT(catcher(*form)->lastNavigation(), kBlank, 3000);
        QVERIFY(!controls(*form).Timer4->isActive());
    }
};

QTEST_MAIN(TestPopupCatcher)
#include "tst_popupcatcher.moc"

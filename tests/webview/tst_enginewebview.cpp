#include "pageserver.h"
#include "testhttpserver.h"
#include "webview/enginewebview.h"

#include <QApplication>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kLoadTimeout = 20000;

bool anyDialogVisible()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qobject_cast<QDialog *>(w))
            return true;
    }
    return false;
}

} // namespace

class TestEngineWebView : public QObject
{
    Q_OBJECT
private:
    PageServer m_server;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        m_server.pages["/notice"] = "<html><head><title>t</title><style>b{color:red}</style></head>"
                                    "<body>Before $$$*A*http://u/1*$$$ <b>after</b><div style=\"display:none\">hidden</div>"
                                    "<script>var notText = 1;</script></body></html>";
        m_server.pages["/alert"] = "<html><body onload=\"alert('x'); confirm('y'); prompt('z');\">dialogs</body></html>";
        m_server.pages["/opener"] = "<html><body>opener<script>window.open('/popup');</script></body></html>";
        m_server.pages["/popup"] = "<html><body>popup page</body></html>";
    }

    void bodyTextIsReadyAtDownloadComplete()
    {
        EngineWebView view;
        view.resize(400, 300);
        view.show();
        QCOMPARE(view.ReadyState(), int(WebView::Uninitialized));
        std::optional<QString> seen;
        int readyStateSeen = -1;
        connect(&view, &WebView::DownloadComplete, &view, [&] {
            seen = view.BodyText();
            readyStateSeen = view.ReadyState();
        });
        const QString url = m_server.url("/notice");
        view.Navigate(url);
        QCOMPARE(view.ReadyState(), int(WebView::Loading));
        QTRY_VERIFY_WITH_TIMEOUT(seen.has_value(), kLoadTimeout);
        QVERIFY(seen->contains(QStringLiteral("Before $$$*A*http://u/1*$$$ after")));
        QVERIFY(!seen->contains(QStringLiteral("<b>")));
        QVERIFY(!seen->contains(QStringLiteral("color:red")));
        QVERIFY(seen->contains(QStringLiteral("hidden"))); // hidden text is text of the body too
        QVERIFY(!seen->contains(QStringLiteral("notText")));
        QCOMPARE(readyStateSeen, int(WebView::Complete));
        QCOMPARE(view.LocationURL(), url);
    }

    // A load the engine would download or show as bare media is offered to a
    // stream player, by the view it happened in only.
    void streamContentIsOffered_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("offered");
        QTest::newRow("HLS playlist") << QByteArray("application/vnd.apple.mpegurl") << true;
        QTest::newRow("MPEG-TS") << QByteArray("video/mp2t") << true;
        QTest::newRow("MP3") << QByteArray("audio/mpeg") << true;
        QTest::newRow("a download of another kind") << QByteArray("application/octet-stream") << true;
        QTest::newRow("a page") << QByteArray("text/html; charset=utf-8") << false;
    }
    void streamContentIsOffered()
    {
        QFETCH(QByteArray, type);
        QFETCH(bool, offered);
        TestHttpServer server;
        server.setAnswer(QStringLiteral("/live"), TestHttpAnswer::text(QByteArray(4096, '\0'), 200, type));
        EngineWebView view;
        EngineWebView bystander;
        view.show();
        QSignalSpy offers(&view, &WebView::StreamOffered);
        QSignalSpy otherOffers(&bystander, &WebView::StreamOffered);
        QSignalSpy done(&view, &WebView::DownloadComplete);
        view.Navigate(server.url(QStringLiteral("/live")));
        if (offered) {
            QTRY_COMPARE_WITH_TIMEOUT(offers.size(), 1, kLoadTimeout);
            QCOMPARE(offers.first().first().toString(), server.url(QStringLiteral("/live")));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(done.size() >= 1, kLoadTimeout);
        }
        QTest::qWait(300);
        QCOMPARE(offers.size(), offered ? 1 : 0);
        QCOMPARE(otherOffers.size(), 0);
    }

    void blankPageHasEmptyBody()
    {
        EngineWebView view;
        QSignalSpy done(&view, &WebView::DownloadComplete);
        view.Navigate(QStringLiteral("about:blank"));
        QTRY_VERIFY_WITH_TIMEOUT(done.size() >= 1, kLoadTimeout);
        QCOMPARE(view.LocationURL(), QStringLiteral("about:blank"));
        QVERIFY(view.BodyText().has_value());
        QVERIFY(view.BodyText()->isEmpty());
        QCOMPARE(view.ReadyState(), int(WebView::Complete));
    }

    void emptyAddressIsIgnored()
    {
        EngineWebView view;
        view.Navigate(QString());
        QCOMPARE(view.ReadyState(), int(WebView::Uninitialized));
        QVERIFY(view.LocationURL().isEmpty());
    }

    void silentViewShowsNoDialogs()
    {
        EngineWebView view;
        view.setSilent(true);
        QVERIFY(view.Silent());
        view.show();
        QSignalSpy done(&view, &WebView::DownloadComplete);
        view.Navigate(m_server.url("/alert"));
        QTRY_VERIFY_WITH_TIMEOUT(done.size() >= 1, kLoadTimeout);
        QTest::qWait(300);
        QVERIFY(!anyDialogVisible());
        QCOMPARE(view.BodyText().value_or(QString()), QStringLiteral("dialogs"));
    }

    void newWindowGoesToTheNamedView()
    {
        EngineWebView opener;
        EngineWebView catcher;
        opener.show();
        int requests = 0;
        connect(&opener, &WebView::NewWindow2, &opener, [&](WebView **ppDisp, bool *) {
            ++requests;
            *ppDisp = &catcher;
            catcher.setVisible(false);
        });
        QStringList completed;
        connect(&catcher, &WebView::DocumentComplete, &catcher, [&](const QString &url) { completed.append(url); });
        const int topLevelsBefore = QApplication::topLevelWidgets().size();
        opener.Navigate(m_server.url("/opener"));
        QTRY_VERIFY_WITH_TIMEOUT(completed.contains(m_server.url("/popup")), kLoadTimeout);
        QCOMPARE(requests, 1);
        QCOMPARE(catcher.ReadyState(), int(WebView::Complete));
        QCOMPARE(catcher.BodyText().value_or(QString()), QStringLiteral("popup page"));
        QVERIFY(!catcher.isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevelsBefore);
    }

    void newWindowWithoutTargetIsDropped()
    {
        EngineWebView opener;
        int requests = 0;
        connect(&opener, &WebView::NewWindow2, &opener, [&](WebView **, bool *) { ++requests; });
        QSignalSpy done(&opener, &WebView::DownloadComplete);
        const int before = m_server.requested.count("/popup");
        opener.Navigate(m_server.url("/opener"));
        QTRY_VERIFY_WITH_TIMEOUT(done.size() >= 1, kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(requests, 1, kLoadTimeout);
        QTest::qWait(300);
        QCOMPARE(m_server.requested.count("/popup"), before);
    }
};

QTEST_MAIN(TestEngineWebView)
#include "tst_enginewebview.moc"

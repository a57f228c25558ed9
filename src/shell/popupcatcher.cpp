#include "popupcatcher.h"

#include "webview/webview.h"

#include <QTimer>

namespace {
const QString kBlankPage = QStringLiteral("about:blank");
}

PopupCatcher::PopupCatcher(WebView &WebBrowser3, QObject *parent)
    : QObject(parent)
    , m_view(WebBrowser3)
    , m_timer4(new QTimer(this))
{
    m_timer4->setObjectName(QStringLiteral("Timer4"));
    m_timer4->setInterval(500);
    connect(m_timer4, &QTimer::timeout, this, &PopupCatcher::Timer4_Timer);
    connect(&m_view, &WebView::DocumentComplete, this, &PopupCatcher::WebBrowser3_DocumentComplete);
}

void PopupCatcher::WebBrowser1_NewWindow2(WebView **ppDisp, bool *Cancel)
{
    Q_UNUSED(Cancel); // left false: the window opens, in the catcher
    m_blanking = false;
    if (ppDisp)
        *ppDisp = &m_view;
    m_view.setVisible(false);
}

void PopupCatcher::WebBrowser3_DocumentComplete(const QString &URL)
{
    // Blanking completes a document as well; arming the timer for that one
    // would reload the blank page every interval for as long as the program runs.
    if (m_blanking && URL == kBlankPage) {
        m_blanking = false;
        return;
    }
    // A further page completing before the blanking leaves the countdown alone.
    if (m_view.ReadyState() == WebView::Complete && !m_timer4->isActive())
        m_timer4->start();
}

void PopupCatcher::Timer4_Timer()
{
    m_blanking = true;
    m_view.Navigate(kBlankPage);
    m_timer4->stop();
}

// The pop-up catcher: windows that pages in the player open are loaded into
// the hidden WebBrowser3 instead of appearing, and blanked shortly after
// their page has completed.

#include "form1.h"

#include <QTimer>

namespace {
const QString kBlankPage = QStringLiteral("about:blank");
}

void Form1::WebBrowser1_NewWindow2(WebView **ppDisp, bool *Cancel)
{
    Q_UNUSED(Cancel); // left false: the window opens, in the catcher
    m_catcherBlanking = false;
    if (ppDisp)
        *ppDisp = WebBrowser3;
    WebBrowser3->setVisible(false);
}

void Form1::WebBrowser3_DocumentComplete(const QString &URL)
{
    // Blanking completes a document as well; arming the timer for that one
    // would reload the blank page every interval for as long as the program runs.
    if (m_catcherBlanking && URL == kBlankPage) {
        m_catcherBlanking = false;
        return;
    }
    // A further page completing before the blanking leaves the countdown alone.
    if (WebBrowser3->ReadyState() == WebView::Complete && !Timer4->isActive())
        Timer4->start();
}

void Form1::Timer4_Timer()
{
    m_catcherBlanking = true;
    WebBrowser3->Navigate(kBlankPage);
    Timer4->stop();
}

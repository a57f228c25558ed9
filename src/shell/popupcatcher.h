#pragma once

#include <QObject>
#include <QString>

class QTimer;
class WebView;

// The pop-up catcher: windows that pages in the player open are loaded into
// the hidden view WebBrowser3 instead of appearing, and blanked by Timer4
// (its own, 500 ms) shortly after their page has completed.
class PopupCatcher : public QObject
{
    Q_OBJECT
public:
    // Connects itself to the catcher view's completed documents.
    explicit PopupCatcher(WebView &WebBrowser3, QObject *parent = nullptr);

    // A page in the player asks for a new window.
    void WebBrowser1_NewWindow2(WebView **ppDisp, bool *Cancel);
    void WebBrowser3_DocumentComplete(const QString &URL);
    void Timer4_Timer();

private:
    WebView &m_view;
    QTimer *m_timer4;
    bool m_blanking = false;
};

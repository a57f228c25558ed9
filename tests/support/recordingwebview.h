#pragma once

#include "webview/webview.h"

#include <QStringList>

// A WebView that loads nothing: it records every navigation, and a test sets
// the body text and raises the events a real view would raise.
class RecordingWebView : public WebView
{
    Q_OBJECT
public:
    using WebView::WebView;

    void Navigate(const QString &url) override
    {
        if (url.isEmpty())
            return;
        navigations.append(url);
        m_location = url;
        m_readyState = Loading;
    }
    void setSilent(bool silent) override { m_silent = silent; }
    bool Silent() const override { return m_silent; }
    QString LocationURL() const override { return m_location; }
    std::optional<QString> BodyText() const override { return body; }
    int ReadyState() const override { return m_readyState; }

    // Completes the current load with the given body text.
    void finishLoad(const std::optional<QString> &text)
    {
        body = text;
        m_readyState = Complete;
        Q_EMIT DocumentComplete(m_location);
        Q_EMIT DownloadComplete();
    }
    QString lastNavigation() const { return navigations.isEmpty() ? QString() : navigations.last(); }

    QStringList navigations;
    std::optional<QString> body;

private:
    QString m_location;
    int m_readyState = Uninitialized;
    bool m_silent = false;
};

// A factory for Form1 that gives it recording views.
inline WebViewFactory recordingWebViewFactory()
{
    return [](QWidget *parent) -> WebView * { return new RecordingWebView(parent); };
}

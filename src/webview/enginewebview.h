#pragma once

#include "webview.h"

class QWebEngineView;
class SilentPage;

// The factory the program uses: views on the real browser engine.
WebViewFactory engineWebViewFactory();

// WebView on Qt WebEngine.
class EngineWebView : public WebView
{
    Q_OBJECT
public:
    explicit EngineWebView(QWidget *parent = nullptr);
    ~EngineWebView() override;

    void Navigate(const QString &url) override;
    void setSilent(bool silent) override;
    bool Silent() const override;
    QString LocationURL() const override;
    std::optional<QString> BodyText() const override;
    int ReadyState() const override;

private:
    friend class SilentPage;
    SilentPage *page() const;
    SilentPage *takeNewWindowRequest();
    void onLoadStarted();
    void onLoadFinished(bool ok);

    QWebEngineView *m_view;
    std::optional<QString> m_bodyText;
    int m_readyState = Uninitialized;
    quint64 m_loadGeneration = 0;
};

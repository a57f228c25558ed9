#include "webview.h"

#include "enginewebview.h"

WebViewFactory engineWebViewFactory()
{
    return [](QWidget *parent) -> WebView * { return new EngineWebView(parent); };
}

#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

// What the program asks of an embedded browser view, and nothing more.
// Placement and visibility are the widget's own (setGeometry, setVisible).
class WebView : public QWidget
{
    Q_OBJECT
public:
    enum ReadyStateValue { Uninitialized = 0, Loading = 1, Interactive = 3, Complete = 4 };

    using QWidget::QWidget;

    // Starts loading and returns at once; "about:blank" empties the view and
    // stops whatever it played.
    virtual void Navigate(const QString &url) = 0;
    // A silent view never shows a dialog of its own (alerts, confirms,
    // prompts, certificate or authentication questions, file choosers).
    virtual void setSilent(bool silent) = 0;
    virtual bool Silent() const = 0;
    virtual QString LocationURL() const = 0;
    // Plain text of the loaded document's body; nullopt without document or
    // body. Available when DownloadComplete and DocumentComplete are raised.
    virtual std::optional<QString> BodyText() const = 0;
    virtual int ReadyState() const = 0;

Q_SIGNALS:
    // A page asks for a new window. A handler may set *ppDisp to a view that
    // is to receive the new window's page; with no view set (or *Cancel set)
    // the request is dropped and no window appears.
    void NewWindow2(WebView **ppDisp, bool *Cancel);
    void DocumentComplete(const QString &url);
    // Raised whenever a load in the view ends, successfully or not.
    void DownloadComplete();
    // A load was answered as a download or as audio or video content, which
    // the view does not play itself: a stream player may take the address.
    void StreamOffered(const QString &url);
};

// How the program makes its browser views. The program passes views on the
// real browser engine (enginewebview.h); tests pass their own.
using WebViewFactory = std::function<WebView *(QWidget *parent)>;

#pragma once

#include "account/servicehosts.h"
#include "webview/webview.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

// What the start-up schedule asks of the rest of the program. An empty
// function is a step that is not available: it is skipped.
struct StartupHooks
{
    std::function<QString()> savedUser;
    std::function<QString()> savedPassword;
    std::function<void()> mailDenglu; // the automatic login
    std::function<void()> tvDownload;
    std::function<void()> radioDownload;
};

// The first five seconds after start, driven by Timer1 (500 ms) with the tick
// count kept in Text3: tick 1 the automatic login (or, without a saved
// account, the verification page in the notice view), tick 2 the TV download
// when its list file is missing, tick 4 the account page in the main view,
// tick 6 the radio download when its list file is missing, tick 10 the timer
// off. Connects itself to Timer1's timeout.
class StartupSchedule : public QObject
{
    Q_OBJECT
public:
    StartupSchedule(QLineEdit *Text3, QTimer *Timer1, WebView *WebBrowser1, WebView *WebBrowser2,
                    const ServiceHosts &hosts, const QString &dataDir, StartupHooks hooks,
                    QObject *parent = nullptr);

    void Timer1_Timer();

    // The numeric value of the tick counter's text: empty or non-numeric text is 0.
    static int tickValue(const QString &text);

private:
    int readTicks() const;
    bool stillAt(int tick, int t) const;
    void firstTick();
    void accountPage();
    bool listFileMissing(const char *name) const;
    QString savedUser() const;
    QString savedPassword() const;

    QPointer<QLineEdit> m_text3;
    QPointer<QTimer> m_timer1;
    QPointer<WebView> m_main;
    QPointer<WebView> m_notice;
    ServiceHosts m_hosts;
    QString m_dataDir; // where the list files are kept; empty: nowhere
    StartupHooks m_hooks;
};

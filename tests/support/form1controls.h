#pragma once

#include "account/scramblecodec.h"
#include "directory/listmenu.h"
#include "directory/startupschedule.h"
#include "platform/imagebox.h"
#include "platform/listbox.h"
#include "platform/multilinetextbox.h"
#include "quickselect/quickselect.h"
#include "shell/popupcatcher.h"
#include "shell/tray.h"
#include "shell/windowtray.h"
#include "webview/webview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

// The main window's controls and subsystem objects, found by their object
// names and types as a user of the window (or a test) sees them.
struct Form1Controls
{
    explicit Form1Controls(const QObject &window)
        : w(window)
    {
        for (int k = 0; k < 6; ++k)
            n[k] = find<QAction>(QStringLiteral("n%1").arg(k + 1));
    }

    template <typename T>
    T *find(const QString &name) const
    {
        return w.findChild<T *>(name);
    }
    template <typename T>
    T *find() const
    {
        return w.findChild<T *>();
    }

    const QObject &w;
    ListBox *List1 = find<ListBox>(QStringLiteral("List1"));
    ListBox *List2 = find<ListBox>(QStringLiteral("List2"));
    WebView *WebBrowser1 = find<WebView>(QStringLiteral("WebBrowser1"));
    WebView *WebBrowser2 = find<WebView>(QStringLiteral("WebBrowser2"));
    WebView *WebBrowser3 = find<WebView>(QStringLiteral("WebBrowser3"));
    QPushButton *Command2 = find<QPushButton>(QStringLiteral("Command2"));
    QPushButton *Command3 = find<QPushButton>(QStringLiteral("Command3"));
    MultiLineTextBox *Text2 = find<MultiLineTextBox>(QStringLiteral("Text2"));
    QLineEdit *Text3 = find<QLineEdit>(QStringLiteral("Text3"));
    QLineEdit *Text5 = find<QLineEdit>(QStringLiteral("Text5"));
    ImageBox *Image1 = find<ImageBox>(QStringLiteral("Image1"));
    QTimer *Timer1 = find<QTimer>(QStringLiteral("Timer1"));
    QTimer *Timer2 = find<QTimer>(QStringLiteral("Timer2"));
    QTimer *Timer3 = find<QTimer>(QStringLiteral("Timer3"));
    QTimer *Timer4 = find<QTimer>(QStringLiteral("Timer4"));
    QAction *jiemu = find<QAction>(QStringLiteral("jiemu"));
    QAction *jiemian = find<QAction>(QStringLiteral("jiemian"));
    QAction *denglu = find<QAction>(QStringLiteral("denglu"));
    QAction *qugg = find<QAction>(QStringLiteral("qugg"));
    QAction *chuangkou = find<QAction>(QStringLiteral("chuangkou"));
    QAction *n[6] = {};
    QuickSelect *quickSelect = find<QuickSelect>();
    StartupSchedule *schedule = find<StartupSchedule>();
    PopupCatcher *catcher = find<PopupCatcher>();
    ListMenu *listMenu = find<ListMenu>();
    WindowTray *windowTray = find<WindowTray>();
    Tray *tray = find<Tray>();
};

inline Form1Controls controls(const QObject &window) { return Form1Controls(window); }

// A saved-credentials file that holds an account name and no password, as
// the main window finds it at start.
inline bool saveAccountNameOnly(const QString &programDir, const QString &name)
{
    QFile file(QDir(programDir).filePath(QStringLiteral("lumatv.dat")));
    return file.open(QIODevice::WriteOnly) && file.write(ScrambleText(name).toLatin1() + "\r\n") > 0;
}

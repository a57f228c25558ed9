#include "ontop.h"

#include "form1.h"

#include <QAction>
#include <QWidget>
#include <QWindow>

void keepAboveOthers(QWidget *window, bool above)
{
    if (!window)
        return;
    // setWindowFlag() would destroy and re-create the native window (hiding
    // it and changing its handle); the widget's flags are updated without
    // that, and the window system learns the change from the window itself.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, above);
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, above);
}

void Form1::chuangkou_Click()
{
    if (OnTop == 0) {
        OnTop = 1;
        keepAboveOthers(this, true);
        chuangkou->setText(QStringLiteral("窗口置顶√"));
    } else {
        keepAboveOthers(this, false);
        chuangkou->setText(QStringLiteral("窗口置顶"));
        OnTop = 0;
    }
}

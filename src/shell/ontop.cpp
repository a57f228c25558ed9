#include "ontop.h"

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

AlwaysOnTop::AlwaysOnTop(QWidget &window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
}

void AlwaysOnTop::chuangkou_Click(bool on)
{
    m_onTop = on ? 1 : 0;
    keepAboveOthers(&m_window, on);
}

#pragma once

#include <QObject>

class QWidget;

// Keeps a top-level window above all other windows, or releases it. Its
// position, size, visibility and native window stay as they are: the window
// system is told directly instead of the window being created anew.
void keepAboveOthers(QWidget *window, bool above);

// The menu item 窗口置顶: the window above all others while it is on.
class AlwaysOnTop : public QObject
{
    Q_OBJECT
public:
    explicit AlwaysOnTop(QWidget &window, QObject *parent = nullptr);

    void chuangkou_Click(bool on);
    // 1 while the window is kept above the others, else 0.
    qint16 OnTop() const { return m_onTop; }

private:
    QWidget &m_window;
    qint16 m_onTop = 0;
};

#pragma once

#include "directory/viewmode.h"

#include <QObject>
#include <QString>

class ChannelDirectory;
class QLineEdit;
class QTimer;

// The type-to-filter box Text5: the user types pinyin initials, part of a
// name or an entry number, and the current directory's rows narrow to the
// entries whose entry line contains it. Owns the focus timer Timer2 and the
// idle timer Timer3; asks for a channel to be played through play().
class QuickSelect : public QObject
{
    Q_OBJECT
public:
    static constexpr int KeyEnter = 13;
    static constexpr int KeySpace = 32;

    // Connects itself to the box's text changes and released keys.
    QuickSelect(QLineEdit &Text5, ChannelDirectory &tv, ChannelDirectory &radio, QObject *parent = nullptr);
    // The box as the window shows it: red bold text on black, no tab stop.
    static QLineEdit *makeBox(QWidget *parent);

    // The view mode decides which directory the box filters and whether
    // Enter and Space play.
    void setViewMode(ViewMode mode) { m_mode = mode; }

    // The menu item qugg switched quick select on or off.
    void qugg_Click(bool on);
    // Any change of the box text: rebuilds the current directory's rows.
    void Text5_Change();
    // A key released in the box; Enter (13) and Space (32) play the first row.
    void Text5_KeyUp(int keyCode);
    // Focus keeper: focuses the box, in front while it holds text.
    void Timer2_Timer();
    // Idle clearing: empties the box, which brings the full list back.
    void Timer3_Timer();

    // Switches the focus keeper on, leaving a running one alone, or off.
    void keepFocus(bool on);
    // Starts the idle countdown (when the window is first shown).
    void startIdleTimer();

    // The key code Text5_KeyUp gets for a released key.
    static int keyCode(int qtKey);

Q_SIGNALS:
    // Row `row` of the directory (which has a URL there) is to play.
    void play(const ChannelDirectory *directory, int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ChannelDirectory &current() const;
    void rebuildList();
    void restartIdleTimer();

    QLineEdit &m_box;
    ChannelDirectory &m_tv;
    ChannelDirectory &m_radio;
    QTimer *m_focusTimer;
    QTimer *m_idleTimer;
    ViewMode m_mode = ViewMode::Tv;
};

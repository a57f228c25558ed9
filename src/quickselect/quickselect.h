#pragma once

#include "quickselect/channeltables.h"
#include "quickselect/filter.h"

#include <QObject>

#include <functional>

class ListBox;
class QAction;
class QLineEdit;
class QTimer;
class WebView;

// What quick select works on; all of it belongs to the main window.
struct QuickSelectControls
{
    QLineEdit *Text5 = nullptr;
    ListBox *List1 = nullptr; // radio list
    ListBox *List2 = nullptr; // TV list
    QTimer *Timer2 = nullptr; // focus keeper
    QTimer *Timer3 = nullptr; // idle clearing
    QAction *qugg = nullptr;  // the on/off menu item
    WebView *WebBrowser1 = nullptr;
    ChannelTables *Tv = nullptr;
    ChannelTables *Radio = nullptr;
    std::function<int()> ListMode; // 0 player only, 1 TV view, 2 radio view
};

// The type-to-filter box: the user types pinyin initials, part of a name or
// an entry number into Text5, and the list of the current directory narrows
// to the entries whose entry line contains it.
class QuickSelect : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *OffCaption = "快速选台";
    static constexpr const char *OnCaption = "快速选台√";
    static constexpr int KeyEnter = 13;
    static constexpr int KeySpace = 32;

    // Watches Text5 for released keys and passes them to Text5_KeyUp; the
    // other handlers are connected by the owner.
    explicit QuickSelect(const QuickSelectControls &controls, QObject *parent = nullptr);

    // Menu item: switches quick select on or off.
    void qugg_Click();
    // Any change of the box text: rebuilds the current directory's list.
    void Text5_Change();
    // A key released in the box; Enter (13) and Space (32) play the first row.
    void Text5_KeyUp(int keyCode);
    // Focus keeper: focuses the box, in front while it holds text.
    void Timer2_Timer();
    // Idle clearing: empties the box, which brings the full list back.
    void Timer3_Timer();

    // The key code Text5_KeyUp gets for a released key.
    static int keyCode(int qtKey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool tvSelected() const;
    void prepareFilter();
    void rebuildList();
    void playFirstRow(const ListBox *list, const ChannelTables *tables);
    void restartIdleTimer();

    QuickSelectControls m_controls;
    ChannelFilter m_tvFilter;
    ChannelFilter m_radioFilter;
};

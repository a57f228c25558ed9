#pragma once

#include "directory/viewmode.h"

#include <QString>

// Placement of a control in twips.
struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect &o) const
    {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

// Everything the layout routine moves, shows or hides.
struct LayoutState
{
    TwipRect WebBrowser1;
    TwipRect WebBrowser2;
    TwipRect List1;
    TwipRect List2;
    TwipRect Image1;
    TwipRect Text5;
    bool List1Visible = true;
    bool List2Visible = true;
    bool Command2Visible = true;
    bool Command3Visible = true;
};

// The design placement of the main window's controls.
LayoutState designLayout();

// The window's outer size in twips (frame, title bar and menu bar included),
// which the layout's constants are for, from the size in pixels of the client
// area under the menu bar; a minimised window reports 2400 x 465.
TwipRect outerSize(int clientWidth, int clientHeight, bool minimised);

// True when the window title marks a VIP account (" VIP用户").
bool isVipTitle(const QString &title);

// The layout for the view mode, the window's outer size W x H in twips and
// its title. Each assignment whose width or height would be negative is
// skipped and the control keeps its value from `current`.
LayoutState layoutForm(const LayoutState &current, ViewMode listMode, int W, int H, const QString &title);

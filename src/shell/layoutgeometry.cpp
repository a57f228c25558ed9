#include "layoutgeometry.h"

#include "platform/twips.h"

namespace {

const QString kVipMark = QStringLiteral(" VIP用户");

// What the frame, the title bar and the menu bar add to the client area, so
// that the main view ends at the right edge and the notice strip at the
// bottom edge.
constexpr int kFrameExtraWidth = 60;
constexpr int kFrameExtraHeight = 1220;
constexpr int kMinimisedWidth = 2400;
constexpr int kMinimisedHeight = 465;

// A size assignment that would be negative fails and is skipped.
void setSize(int &field, float value)
{
    if (value >= 0)
        field = int(value);
}

void layoutColumn(LayoutState &s, ViewMode listMode, float W)
{
    if (listMode == ViewMode::PlayerOnly) {
        s.Command2Visible = false;
        s.Command3Visible = false;
        s.List1Visible = false;
        s.List2Visible = false;
        s.Image1.left = 15;
        s.WebBrowser1.left = 100;
        setSize(s.WebBrowser1.width, W - 2100 + 1940);
        return;
    }
    if (listMode == ViewMode::Tv) {
        s.List2Visible = true;
    } else {
        s.List1Visible = true;
        s.Command2Visible = true;
        s.Command3Visible = true;
        s.List2Visible = false;
    }
    s.Image1.left = 1950;
    s.WebBrowser1.left = 2040;
    setSize(s.WebBrowser1.width, W - 2100);
}

void layoutNoticeStrip(LayoutState &s, float H, bool vip)
{
    if (vip) {
        s.WebBrowser2.top = s.WebBrowser1.height + 3000;
        setSize(s.WebBrowser1.height, H - 1175);
        return;
    }
    setSize(s.WebBrowser1.height, H - 2300 - 375);
    s.WebBrowser2.width = s.WebBrowser1.width;
    s.WebBrowser2.top = s.WebBrowser1.height;
    s.WebBrowser2.left = s.WebBrowser1.left;
}

} // namespace

LayoutState designLayout()
{
    LayoutState s;
    s.WebBrowser2 = {2040, 7200, 11295, 1455};
    s.WebBrowser1 = {5040, 0, 8775, 4455};
    s.List2 = {0, 0, 1935, 4548};
    s.List1 = {0, 720, 1935, 3828};
    s.Image1 = {1956, 3720, 60, 636};
    s.Text5 = {3960, 120, 735, 300};
    return s;
}

TwipRect outerSize(int clientWidth, int clientHeight, bool minimised)
{
    if (minimised)
        return {0, 0, kMinimisedWidth, kMinimisedHeight};
    return {0, 0, pixelsToTwips(clientWidth) + kFrameExtraWidth, pixelsToTwips(clientHeight) + kFrameExtraHeight};
}

bool isVipTitle(const QString &title)
{
    return title.contains(kVipMark);
}

LayoutState layoutForm(const LayoutState &current, ViewMode listMode, int W, int H, const QString &title)
{
    LayoutState s = current;
    // The layout computes in single precision.
    const float w = float(W);
    const float h = float(H);
    layoutColumn(s, listMode, w);
    layoutNoticeStrip(s, h, isVipTitle(title));
    if (listMode != ViewMode::PlayerOnly) {
        setSize(s.List1.height, h - 1970);
        setSize(s.List2.height, h - 1250);
    }
    s.Text5.left = int(w - 1735);
    return s;
}

#pragma once

#include <QByteArray>
#include <QString>

// The description of the window's tray icon in the platform's 88-byte record
// layout: six 32-bit little-endian integers and a 64-byte ANSI tip. A record
// made by default has every field zero.
struct TrayIconRecord
{
    static constexpr quint32 RecordSize = 88;
    static constexpr int TipSize = 64;
    // uFlags bits: which of the fields below are valid.
    static constexpr quint32 MessageValid = 1;
    static constexpr quint32 IconValid = 2;
    static constexpr quint32 TipValid = 4;

    quint32 cbSize = 0;
    quint32 hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    quint32 hIcon = 0;
    QByteArray szTip = QByteArray(TipSize, '\0');

    QByteArray toBytes() const;
};

// The tip of the main window's icon (the tray tip carries its own version).
inline constexpr const char *kTrayTip = "澄屿高清网络电视 V2.4";
// The window message on which the main window receives the icon's
// notifications; it arrives as a mouse move carrying the mouse message that
// occurred over the icon.
constexpr quint32 kTrayCallbackMessage = 0x0200;

// Mouse messages a notification carries.
namespace TrayMouse {
constexpr int None = 0;
constexpr int LeftButtonUp = 514;
constexpr int RightButtonUp = 517;
constexpr int MiddleButtonUp = 520;
} // namespace TrayMouse

// text in code page 936, one NUL, then spaces to 64 bytes. A longer text is
// cut at a character boundary so that the NUL always fits.
QByteArray trayTipField(const QString &text);
// The text of a tip field: its bytes up to the first NUL, decoded.
QString trayTipText(const QByteArray &field);

// The record the tray steps hand to the platform for the main window.
TrayIconRecord mainWindowTrayRecord(quint32 hWnd, quint32 hIcon);

// Only a left or right button release over the icon brings the window back.
bool restoresFromTray(int mouseMessage);

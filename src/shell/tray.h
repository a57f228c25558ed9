#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class QIcon;
class QWidget;

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

// The mouse message a toolkit activation stands for. A double click arrives
// as Trigger for the first left-button release and DoubleClick for the
// second, so both are left-button releases; Context is the right button's
// release; a middle click is the middle button's; anything else is none.
int trayMouseMessage(QSystemTrayIcon::ActivationReason reason);
// Only a left or right button release over the icon brings the window back.
bool restoresFromTray(int mouseMessage);

// The window's icon in the desktop's notification area, driven by a
// TrayIconRecord the way the platform's icon service is. It holds at most
// one icon, for the window it was made for.
class Tray : public QObject
{
    Q_OBJECT
public:
    enum Message { Add = 0, Delete = 2 };

    explicit Tray(QWidget *window);
    ~Tray() override;

    // Whether the desktop has a notification area. Tests replace the check.
    bool available() const;
    void setAvailabilityCheck(std::function<bool()> check);

    // Adds or deletes the icon the record describes; true when done. An add
    // fails without a notification area, for a record that is not this
    // window's or not of the record size, and while an icon is shown (a later
    // add changes nothing). A delete fails unless the record names the icon
    // that is shown.
    bool notify(Message message, const TrayIconRecord &record);

    // The icon while it is shown, else null.
    QSystemTrayIcon *icon() const { return m_icon; }

    static quint32 handleOf(QWidget *window);
    static quint32 handleOf(const QIcon &icon);

Q_SIGNALS:
    // A mouse message that occurred over the icon (see TrayMouse).
    void notification(int mouseMessage);

private:
    bool add(const TrayIconRecord &record);
    bool remove(const TrayIconRecord &record);

    QWidget *m_window;
    std::function<bool()> m_available;
    QSystemTrayIcon *m_icon = nullptr;
    quint32 m_shownWindow = 0;
    quint32 m_shownId = 0;
};

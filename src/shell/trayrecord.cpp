#include "trayrecord.h"

#include "platform/codepage936.h"

#include <QtEndian>

namespace {

void appendLe(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray TrayIconRecord::toBytes() const
{
    QByteArray out;
    out.reserve(int(RecordSize));
    for (quint32 value : {cbSize, hWnd, uID, uFlags, uCallbackMessage, hIcon})
        appendLe(out, value);
    out.append(szTip.left(TipSize));
    out.append(TipSize - qMin(int(szTip.size()), TipSize), '\0');
    return out;
}

QByteArray trayTipField(const QString &text)
{
    QByteArray field;
    for (int i = 0; i < text.size();) {
        const int length = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray bytes = cp936::fromUnicode(text.mid(i, length));
        if (field.size() + bytes.size() > TrayIconRecord::TipSize - 1)
            break;
        field.append(bytes);
        i += length;
    }
    field.append('\0');
    field.append(TrayIconRecord::TipSize - field.size(), ' ');
    return field;
}

QString trayTipText(const QByteArray &field)
{
    const int end = field.indexOf('\0');
    return cp936::toUnicode(end < 0 ? field : field.left(end));
}

TrayIconRecord mainWindowTrayRecord(quint32 hWnd, quint32 hIcon)
{
    TrayIconRecord record;
    record.cbSize = TrayIconRecord::RecordSize;
    record.uID = 1;
    record.hWnd = hWnd;
    record.uFlags = TrayIconRecord::MessageValid | TrayIconRecord::IconValid | TrayIconRecord::TipValid;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = hIcon;
    record.szTip = trayTipField(QString::fromUtf8(kTrayTip));
    return record;
}

bool restoresFromTray(int mouseMessage)
{
    return mouseMessage == TrayMouse::LeftButtonUp || mouseMessage == TrayMouse::RightButtonUp;
}

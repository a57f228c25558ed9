#pragma once

// Small text helpers of the playlist readers.

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

// Tag, attribute and header names are ASCII and compared without regard to
// case. (QStringView::compare with Qt::CaseInsensitive folds full Unicode
// case and costs many times more, paid several times per playlist line.)
inline bool equalsIgnoringAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

// UTF-8 to text, a U+FEFF at the start included (QString::fromUtf8 drops it,
// so a value that starts with one would not come back the same).
inline QString fromUtf8KeepingBom(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

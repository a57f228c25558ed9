#pragma once

#include <QString>
#include <QStringView>

// Upper-case pinyin initial of one character: "A".."Z", "0" for a two-byte
// symbol below the first-level hanzi, or empty for anything else.
QString PinyinInitial(QChar ch);
inline QString PinyinInitial(const QString &ch) { return ch.isEmpty() ? QString() : PinyinInitial(ch.at(0)); }

// Initials of a whole name; digits are kept as they are.
QString PinyinInitials(const QString &name);
// The same initials, appended to `to`.
void appendPinyinInitials(QStringView name, QString &to);

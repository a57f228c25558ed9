#include "channellist.h"

#include "platform/codepage936.h"
#include "platform/listbox.h"
#include "quickselect/pinyin.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kMinimumLineLength = 3;
const QString kInitialsGap(12, u' ');

void addEntry(DirectoryEntries &entries, const QString &name, const QString &url)
{
    const QString row = rowText(int(entries.rows.size()), name);
    entries.rows.append(row);
    entries.urls.append(url);
    entries.lines.append(entryLine(row, name));
}

} // namespace

QStringList splitListLines(const QString &text, LastLine last)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            lines.append(text.mid(start));
            break;
        }
        qsizetype lineEnd = end;
        if (lineEnd > start && text.at(lineEnd - 1) == u'\r')
            --lineEnd;
        lines.append(text.mid(start, lineEnd - start));
        start = end + 1;
    }
    if (last == LastLine::KeepEmpty && !text.isEmpty() && start == size)
        lines.append(QString());
    return lines;
}

QString entryNumber(int n)
{
    QString number = QString::number(n);
    if (number.size() < 4)
        number.prepend(QString(4 - number.size(), u'0'));
    return number;
}

QString rowText(int n, const QString &name)
{
    const QString number = entryNumber(n);
    QString row;
    row.reserve(number.size() + 1 + name.size());
    row.append(number).append(u'.').append(name);
    return row;
}

QString entryLine(const QString &row, const QString &name)
{
    const QString initials = PinyinInitials(name);
    QString line;
    line.reserve(row.size() + kInitialsGap.size() + initials.size());
    line.append(row).append(kInitialsGap).append(initials);
    return line;
}

DirectoryEntries parseListFile(const QString &text)
{
    const QStringList lines = splitListLines(text);
    DirectoryEntries entries;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const QString &name = lines.at(i);
        const QString url = i + 1 < lines.size() ? lines.at(i + 1) : QString();
        if (name.size() >= kMinimumLineLength && url.size() >= kMinimumLineLength)
            addEntry(entries, name, url);
    }
    return entries;
}

DirectoryEntries parseDownloadedList(const QString &text)
{
    const QStringList lines = splitListLines(text, LastLine::KeepEmpty);
    DirectoryEntries entries;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        addEntry(entries, lines.at(i), lines.at(i + 1));
    return entries;
}

void showDirectory(const DirectoryEntries &entries, ListBox &list, ChannelTables &tables)
{
    list.setItems(entries.rows);
    tables.Url = entries.urls;
    tables.Line = entries.lines;
    tables.copyToMaster();
}

void loadDirectory(const QString &path, ListBox &list, ChannelTables &tables)
{
    // Only a regular file counts: a pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = cp936::toUnicode(file.readAll());
    showDirectory(parseListFile(text), list, tables);
}

#include "channellist.h"

#include "directory/channeldirectory.h"
#include "platform/codepage936.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kMinimumLineLength = 3;

} // namespace

QList<QStringView> splitListLines(QStringView text, LastLine last)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        const qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            lines.append(text.sliced(start));
            break;
        }
        qsizetype lineEnd = end;
        if (lineEnd > start && text.at(lineEnd - 1) == u'\r')
            --lineEnd;
        lines.append(text.sliced(start, lineEnd - start));
        start = end + 1;
    }
    if (last == LastLine::KeepEmpty && !text.isEmpty() && start == size)
        lines.append(QStringView());
    return lines;
}

ChannelEntries parseListFile(QStringView text)
{
    const QList<QStringView> lines = splitListLines(text);
    ChannelEntries entries;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const QStringView name = lines.at(i);
        const QStringView url = i + 1 < lines.size() ? lines.at(i + 1) : QStringView();
        if (name.size() >= kMinimumLineLength && url.size() >= kMinimumLineLength)
            entries.append(name, url);
    }
    entries.squeeze();
    return entries;
}

ChannelEntries parseDownloadedList(QStringView text)
{
    const QList<QStringView> lines = splitListLines(text, LastLine::KeepEmpty);
    ChannelEntries entries;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        entries.append(lines.at(i), lines.at(i + 1));
    entries.squeeze();
    return entries;
}

void loadDirectory(const QString &path, ChannelDirectory &directory)
{
    // Only a regular file counts: a pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = cp936::toUnicode(file.readAll());
    directory.setEntries(parseListFile(text));
}

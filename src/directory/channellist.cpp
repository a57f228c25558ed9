#include "channellist.h"

#include "directory/channeldirectory.h"
#include "directory/directoryplaylist.h"
#include "playlist/companion.h"
#include "playlist/listfile.h"

#include <QFile>
#include <QFileInfo>

ListLines::ListLines(QStringView text, LastLine last)
    : m_text(text)
    , m_emptyLastLine(last == LastLine::KeepEmpty && text.endsWith(u'\n'))
{
}

bool ListLines::next(QStringView &line)
{
    if (m_position >= m_text.size()) {
        if (!m_emptyLastLine)
            return false;
        m_emptyLastLine = false;
        line = QStringView();
        return true;
    }
    const qsizetype end = m_text.indexOf(u'\n', m_position);
    if (end < 0) {
        line = m_text.sliced(m_position);
        m_position = m_text.size();
        return true;
    }
    qsizetype lineEnd = end;
    if (lineEnd > m_position && m_text.at(lineEnd - 1) == u'\r')
        --lineEnd;
    line = m_text.sliced(m_position, lineEnd - m_position);
    m_position = end + 1;
    return true;
}

ChannelEntries parseListFile(QStringView text)
{
    ChannelEntries entries;
    entries.reserveFor(text.size());
    forEachListFilePair(text, [&entries](QStringView name, QStringView url) { entries.append(name, url); });
    entries.squeeze();
    return entries;
}

ChannelEntries parseDownloadedList(QStringView text)
{
    ListLines lines(text, LastLine::KeepEmpty);
    ChannelEntries entries;
    entries.reserveFor(text.size());
    QStringView name;
    QStringView url;
    while (lines.next(name) && lines.next(url))
        entries.append(name, url);
    entries.squeeze();
    return entries;
}

namespace {

// The companion is the program's own file, but may have been replaced by
// anything: one larger than any it writes is not read.
constexpr qint64 kMaxCompanionBytes = 256 * 1024 * 1024;

std::optional<ChannelEntries> readWithCompanion(QStringView listText, const QString &companionPath)
{
    // An import of this run may still be writing it.
    waitForCompanionFiles();
    const QFileInfo info(companionPath);
    if (!info.isFile() || info.size() > kMaxCompanionBytes)
        return std::nullopt;
    QFile file(companionPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return entriesWithCompanion(listText, file.readAll(), QUrl::fromLocalFile(info.absoluteFilePath()));
}

} // namespace

void loadDirectory(const QString &path, ChannelDirectory &directory)
{
    // Only a regular file counts: a pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = decodeListFileText(file.readAll());
    std::optional<ChannelEntries> entries = readWithCompanion(text, companionFilePath(path));
    directory.setEntries(entries ? std::move(*entries) : parseListFile(text));
}

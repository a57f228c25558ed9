// Feeds arbitrary bytes as a list file (code page 936) to its reader, and
// compares the entries with a plain reading of the same text: lines split at
// every LF (a CR just before it dropped), no empty line after a final line
// end, pairs of name and URL taken when both are at least three characters.
#include "directory/channellist.h"
#include "platform/codepage936.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = cp936::toUnicode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    const ChannelEntries entries = parseListFile(text);

    QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].endsWith(QLatin1Char('\r')))
            lines[i].chop(1);
    }
    if (lines.last().isEmpty())
        lines.removeLast();
    QStringList names;
    QStringList urls;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const QString url = i + 1 < lines.size() ? lines[i + 1] : QString();
        if (lines[i].size() >= 3 && url.size() >= 3) {
            names << lines[i];
            urls << url;
        }
    }
    if (entries.count() != names.size())
        std::abort();
    for (int n = 0; n < entries.count(); ++n) {
        const QString row = QString::number(n).rightJustified(4, QLatin1Char('0')) + QLatin1Char('.') + names[n];
        if (entries.url(n) != urls[n] || entries.rowText(n) != row
            || !entries.line(n).startsWith(row + QString(12, QLatin1Char(' '))))
            std::abort();
    }
    return 0;
}

// Feeds arbitrary text to the split of a downloaded list and to its pairing.
// Joining the lines with LF must give the text back with each CR LF made LF
// (every line end separates two lines, a CR elsewhere stays); the list file's
// split differs only by the empty line after a final line end. Every complete
// pair of lines is an entry, in order.
#include "directory/channellist.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

QStringList linesOf(const QString &text, LastLine last)
{
    QStringList lines;
    ListLines reader(text, last);
    for (QStringView line; reader.next(line);)
        lines << line.toString();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Two bytes a character; bytes 0x0A and 0x0D become LF and CR, so that
    // line ends are common.
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i < size / 2; ++i) {
        const char16_t u = char16_t(data[2 * i] | data[2 * i + 1] << 8);
        text[qsizetype(i)] = QChar(data[2 * i] == 0x0A || data[2 * i] == 0x0D ? char16_t(data[2 * i]) : u);
    }

    const QStringList downloaded = linesOf(text, LastLine::KeepEmpty);
    const QStringList file = linesOf(text, LastLine::DropEmpty);

    const QString joined = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (downloaded.join(QLatin1Char('\n')) != joined)
        std::abort();
    const bool endsInLineEnd = text.endsWith(QLatin1Char('\n'));
    if (file.size() != downloaded.size() - (endsInLineEnd ? 1 : 0) || (endsInLineEnd && !downloaded.last().isEmpty()))
        std::abort();
    if (file != downloaded.mid(0, file.size()))
        std::abort();

    const ChannelEntries entries = parseDownloadedList(text);
    if (entries.count() != downloaded.size() / 2)
        std::abort();
    for (int n = 0; n < entries.count(); ++n) {
        if (entries.url(n) != downloaded[2 * n + 1] || !entries.rowText(n).endsWith(QLatin1Char('.') + downloaded[2 * n]))
            std::abort();
    }
    return 0;
}

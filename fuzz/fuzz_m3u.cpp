// Feeds arbitrary bytes to the M3U reader, as a file fetched from a URL, and
// the same bytes as an import reads them.
#include "playlistinvariants.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QUrl base(QStringLiteral("http://h/dir/list.m3u8"));
    checkPlaylist(parseM3u(decodePlaylistText(bytes), base));
    checkImportReading(bytes, base);
    return 0;
}

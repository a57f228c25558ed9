// Feeds arbitrary bytes to the PLS reader, as a file fetched from a URL.
#include "playlistinvariants.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    checkPlaylist(parsePls(decodePlaylistText(bytes), QUrl(QStringLiteral("http://h/dir/list.pls"))));
    return 0;
}

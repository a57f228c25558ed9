// Feeds arbitrary bytes to the reader of the saved-credentials file.
#include "account/credentialsfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const SavedCredentials parsed = parseCredentials(bytes);
    // Each decoded character takes at least one byte; the header takes ten.
    if (parsed.user.size() + parsed.password.size() > qsizetype(size))
        std::abort();
    return 0;
}

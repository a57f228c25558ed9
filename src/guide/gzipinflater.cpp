#include "gzipinflater.h"

#include <QByteArray>

#include <zlib.h>

namespace {
constexpr int kOutputPiece = 256 * 1024;
constexpr int kGzipWindowBits = 16 + MAX_WBITS; // gzip wrapper only
}

struct GzipInflater::State
{
    z_stream stream{};
    bool initialised = false;
    bool memberEnded = false; // the last member ended; what follows is a new member or ignored
    bool ignoringRest = false;
    bool failed = false;
    qint64 maxOutput = 0;
    qint64 output = 0;
    QString error;
    QByteArray piece;
};

GzipInflater::GzipInflater(qint64 maxOutput)
    : d(std::make_unique<State>())
{
    d->maxOutput = maxOutput;
    d->piece.resize(kOutputPiece);
    d->initialised = inflateInit2(&d->stream, kGzipWindowBits) == Z_OK;
    if (!d->initialised) {
        d->failed = true;
        d->error = QStringLiteral("the inflater could not start");
    }
}

GzipInflater::~GzipInflater()
{
    if (d->initialised)
        inflateEnd(&d->stream);
}

bool GzipInflater::looksLikeGzip(const char *data, qsizetype size)
{
    return size >= 2 && quint8(data[0]) == 0x1f && quint8(data[1]) == 0x8b;
}

bool GzipInflater::feed(const char *data, qsizetype size, const Sink &sink)
{
    if (d->failed)
        return false;
    if (d->ignoringRest)
        return true;
    z_stream &zs = d->stream;
    while (size > 0) {
        if (d->memberEnded) {
            // Another member must start with the gzip magic; anything else is trailing junk.
            if (quint8(data[0]) != 0x1f) {
                d->ignoringRest = true;
                return true;
            }
            inflateReset(&zs);
            d->memberEnded = false;
        }
        // zlib counts in uInt; hand it at most 1 GiB at a time.
        const uInt chunk = uInt(qMin<qsizetype>(size, 1 << 30));
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
        zs.avail_in = chunk;
        int result = Z_OK;
        bool more = true;
        while (more) {
            zs.next_out = reinterpret_cast<Bytef *>(d->piece.data());
            zs.avail_out = uInt(d->piece.size());
            result = inflate(&zs, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
                d->failed = true;
                d->error = QStringLiteral("the gzip data is corrupt");
                return false;
            }
            const qsizetype produced = d->piece.size() - qsizetype(zs.avail_out);
            d->output += produced;
            if (d->output > d->maxOutput) {
                d->failed = true;
                d->error = QStringLiteral("the guide inflates to more than %1 bytes").arg(d->maxOutput);
                return false;
            }
            if (produced > 0 && !sink(d->piece.constData(), produced)) {
                d->failed = true;
                d->error = QStringLiteral("stopped");
                return false;
            }
            // A full output piece may leave more output inside zlib even when the input is used up.
            more = result != Z_STREAM_END && (zs.avail_in > 0 || zs.avail_out == 0)
                && !(result == Z_BUF_ERROR && produced == 0);
        }
        const qsizetype used = qsizetype(chunk - zs.avail_in);
        data += used;
        size -= used;
        if (result == Z_STREAM_END)
            d->memberEnded = true;
        else if (used == 0) {
            // No progress on input that is there: never spin on it.
            d->failed = true;
            d->error = QStringLiteral("the gzip data is corrupt");
            return false;
        }
    }
    return true;
}

bool GzipInflater::isComplete() const { return !d->failed && (d->memberEnded || d->ignoringRest); }

QString GzipInflater::error() const { return d->error; }

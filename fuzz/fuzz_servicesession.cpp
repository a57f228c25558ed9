// Feeds arbitrary bytes to one client session of the reference service: the
// request reader and the router behind it. The same bytes are given whole and
// cut into pieces that the input chooses: the answers and the log must be the
// same, and every answer well formed and framed by its length.
#include "httpsession.h"
#include "servicedata.h"
#include "servicerouter.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

// Small limits, so that short inputs reach them.
ServiceLimits limits()
{
    ServiceLimits limits;
    limits.requestLine = 300;
    limits.headerBytes = 600;
    limits.headerCount = 6;
    limits.body = 1000;
    return limits;
}

struct Run
{
    QByteArray output;
    QStringList log;
    bool finished = false;
};

// Piece sizes come from `cuts` (1 to 64 bytes each); no cuts: the input whole.
Run run(QByteArrayView input, QByteArrayView cuts)
{
    ServiceData data;
    data.setTv({{QStringLiteral("湖南卫视"), QStringLiteral("http://127.0.0.1:8801/play/tv/1")}});
    data.setRadio({{QStringLiteral("中国之声 广播"), QStringLiteral("http://127.0.0.1:8801/play/radio/1")}});
    data.addAccount({QStringLiteral("vip"), QStringLiteral("1"), true});
    ServiceRouter router(data);
    Run result;
    HttpSession session([&](const ServiceRequest &request) { return router.answer(request); },
                        [&](const QString &line) { result.log << line; }, limits());
    qsizetype at = 0;
    qsizetype cut = 0;
    while (true) {
        if (session.wantsInput() && at < input.size()) {
            const qsizetype piece = cuts.isEmpty() ? input.size() : 1 + uchar(cuts[cut++ % cuts.size()]) % 64;
            const qsizetype size = qMin(piece, input.size() - at);
            session.receive(input.sliced(at, size));
            at += size;
            continue;
        }
        const QByteArray output = session.pull(4096);
        if (output.isEmpty())
            break;
        result.output += output;
    }
    result.finished = session.finished();
    return result;
}

bool hasControl(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

// The number of answers in the output; aborts on anything malformed.
qsizetype checkAnswers(const QByteArray &output)
{
    qsizetype count = 0;
    qsizetype at = 0;
    bool closed = false;
    while (at < output.size()) {
        const qsizetype end = output.indexOf("\r\n\r\n", at);
        if (closed || end < 0 || output.indexOf("HTTP/1.1 ", at) != at)
            std::abort();
        qint64 length = -1;
        QList<QByteArray> lines = output.mid(at, end + 2 - at).split('\n');
        lines.removeLast(); // after the last line end
        for (const QByteArray &line : lines) {
            if (!line.endsWith('\r') || line.chopped(1).contains('\r'))
                std::abort(); // a line break inside a header
            if (line.startsWith("Content-Length: "))
                length = line.mid(16).chopped(1).toLongLong();
            if (line == "Connection: close\r")
                closed = true;
        }
        if (length < 0 || end + 4 + length > output.size())
            std::abort();
        at = end + 4 + length;
        ++count;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first bytes choose the cuts, the rest is what the client sends.
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cutCount = bytes.isEmpty() ? 0 : qMin<qsizetype>(uchar(bytes[0]) % 8, bytes.size() - 1);
    const QByteArrayView cuts = bytes.sliced(qMin<qsizetype>(1, bytes.size())).first(cutCount);
    const QByteArrayView input = bytes.sliced(qMin<qsizetype>(1, bytes.size()) + cutCount);

    const Run whole = run(input, {});
    const Run pieces = run(input, cuts.isEmpty() ? QByteArrayView("\0", 1) : cuts);
    if (pieces.output != whole.output || pieces.log != whole.log || pieces.finished != whole.finished)
        std::abort();
    if (checkAnswers(whole.output) != whole.log.size())
        std::abort();
    for (const QString &line : whole.log) {
        if (hasControl(line))
            std::abort();
    }
    return 0;
}

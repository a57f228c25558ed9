#include "guidefixtures.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <zlib.h>

QByteArray xmltvDocument(const QString &body, qint64 now)
{
    static const QRegularExpression hours(QStringLiteral("\\{(-?[0-9.]+)\\}"));
    QString text = body;
    QRegularExpressionMatch match;
    while ((match = hours.match(text)).hasMatch()) {
        const qint64 t = now + qint64(match.captured(1).toDouble() * 3600);
        const QString time = QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(QStringLiteral("yyyyMMddHHmmss"));
        text.replace(match.capturedStart(), match.capturedLength(), time + QStringLiteral(" +0000"));
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + text.toUtf8() + "\n</tv>\n";
}

QString guideSummary(const QList<GuideChannel> &channels, qint64 now)
{
    const auto hours = [now](qint64 t) { return QString::number(double(t - now) / 3600); };
    QStringList lines;
    for (const GuideChannel &channel : channels) {
        QStringList programmes;
        for (const GuideProgramme &p : channel.programmes)
            programmes << hours(p.start) + QLatin1Char('-') + hours(p.stop) + QLatin1Char(' ') + p.title;
        lines << channel.id + QStringLiteral(": ") + programmes.join(QStringLiteral(", "));
    }
    return lines.join(QStringLiteral(" | "));
}

QByteArray gzipped(const QByteArray &bytes)
{
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(bytes.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    zs.avail_in = uInt(bytes.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.truncate(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

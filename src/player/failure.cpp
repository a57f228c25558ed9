#include "failure.h"

#include <QRegularExpression>

namespace {

bool logHas(const QStringList &log, const char *phrase)
{
    for (const QString &line : log) {
        if (line.contains(QLatin1String(phrase), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The first HTTP (or RTSP) error status named in the log, 0 when none is.
int loggedStatus(const QStringList &log)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:HTTP error|Server returned|failed:)\s+([1-5]\d\d)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString &line : log) {
        const QRegularExpressionMatch match = pattern.match(line);
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    return 0;
}

FailureInfo statusFailure(int status)
{
    if (status == 401 || status == 403)
        return {Failure::Forbidden, status};
    if (status == 404 || status == 410)
        return {Failure::NotFound, status};
    return {Failure::HttpStatus, status};
}

} // namespace

FailureInfo classifyFailure(LoadEnd end, const QStringList &log)
{
    if (end == LoadEnd::NoSound)
        return {Failure::NoSound};
    if (logHas(log, "Failed to resolve hostname") || logHas(log, "Name or service not known")
        || logHas(log, "Temporary failure in name resolution") || logHas(log, "No address associated"))
        return {Failure::HostNotFound};
    if (logHas(log, "Connection refused"))
        return {Failure::Refused};
    if (const int status = loggedStatus(log))
        return statusFailure(status);
    if (logHas(log, "timed out") || logHas(log, "timeout"))
        return {Failure::TimedOut};
    if (end == LoadEnd::UnknownFormat || logHas(log, "Failed to recognize file format")
        || logHas(log, "No video or audio streams") || logHas(log, "Protocol not found")
        || logHas(log, "No protocol handler"))
        return {Failure::Unsupported};
    if (end == LoadEnd::Finished || logHas(log, "Stream ends prematurely") || logHas(log, "Connection reset")
        || logHas(log, "End of file"))
        return {Failure::Dropped};
    return {Failure::Other};
}

QString failureText(const FailureInfo &failure)
{
    switch (failure.kind) {
    case Failure::None:
        return {};
    case Failure::HostNotFound:
        return QStringLiteral("找不到服务器");
    case Failure::Refused:
        return QStringLiteral("服务器拒绝连接");
    case Failure::Forbidden:
        return QStringLiteral("服务器拒绝访问（%1）").arg(failure.httpStatus);
    case Failure::NotFound:
        return QStringLiteral("节目不存在（%1）").arg(failure.httpStatus);
    case Failure::HttpStatus:
        return QStringLiteral("服务器出错（HTTP %1）").arg(failure.httpStatus);
    case Failure::TimedOut:
        return QStringLiteral("连接超时");
    case Failure::Unsupported:
        return QStringLiteral("不支持的格式");
    case Failure::NotAStream:
        return QStringLiteral("地址给出的不是节目流");
    case Failure::Dropped:
        return QStringLiteral("节目流中断");
    case Failure::PlaylistLoop:
        return QStringLiteral("播放列表指向自身");
    case Failure::BadHeaders:
        return QStringLiteral("地址中“|”后的请求头无效");
    case Failure::NoSound:
        return QStringLiteral("找不到声音设备");
    case Failure::NoEngine:
        return QStringLiteral("播放器无法启动");
    case Failure::Other:
        break;
    }
    return QStringLiteral("无法打开节目流");
}

bool isTransient(const FailureInfo &failure)
{
    switch (failure.kind) {
    case Failure::HostNotFound:
    case Failure::Refused:
    case Failure::TimedOut:
    case Failure::Dropped:
    case Failure::Other:
        return true;
    case Failure::HttpStatus:
        return failure.httpStatus >= 500;
    default:
        return false;
    }
}

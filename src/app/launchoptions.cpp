#include "launchoptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QUrl>

#include <cstdio>

namespace {

const QString kProgram = QStringLiteral("chengyu-tv");

// The options of Qt's application object; they are accepted here and left in
// argv for it. The first group takes a value.
const char *const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                                       "geometry", "qwindowgeometry", "qwindowicon", "qwindowtitle", "style",
                                       "stylesheet", "session", "name", "title"};
const char *const kQtFlagOptions[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};
    QCommandLineOption host1{QStringLiteral("service-host1"), QString(), QStringLiteral("URL")};
    QCommandLineOption host2{QStringLiteral("service-host2"), QString(), QStringLiteral("URL")};
    QCommandLineOption dataDir{QStringLiteral("data-dir"), QString(), QStringLiteral("DIR")};
};

QString helpText(const ServiceHosts &builtIn)
{
    return QStringLiteral("用法：chengyu-tv [选项] [播放列表]\n"
                          "澄屿高清网络电视：看网络电视，听网络广播。\n"
                          "\n"
                          "播放列表：启动时导入的 M3U、M3U8 或 PLS 文件，或它的网址（http、https）。\n"
                          "标有 radio=\"true\" 的条目换掉网络电台节目表，其余的换掉网络电视节目表。\n"
                          "\n"
                          "选项：\n"
                          "  -h, --help               显示本帮助，然后退出\n"
                          "  -v, --version            显示版本，然后退出\n"
                          "  --service-host1 URL      服务主机 1 的地址（http 或 https），默认 %1\n"
                          "  --service-host2 URL      服务主机 2 的地址（http 或 https），默认 %2\n"
                          "  --data-dir DIR           保存节目表和账号的文件夹（绝对路径）\n"
                          "\n"
                          "环境变量 %3 和 %4 与前两个选项作用相同，命令行优先。\n"
                          "不给 --data-dir 时：程序所在的文件夹可写，文件就放在程序旁边；\n"
                          "否则放在用户的数据文件夹（~/.local/share/chengyu-tv）。\n")
        .arg(builtIn.host1, builtIn.host2, QLatin1String(HostVariable1), QLatin1String(HostVariable2));
}

// User text inside a one-line message.
QString quoted(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return QStringLiteral("“%1”").arg(text);
}

// An address stays as given; a file is found from the folder the program
// was started in.
QString playlistArgument(const QString &given)
{
    const QString text = given.trimmed();
    const QString scheme = QUrl(text).scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"file")
        return text;
    return QDir::current().absoluteFilePath(text);
}

LaunchRequest failure(const QString &message)
{
    LaunchRequest request;
    request.action = LaunchRequest::Action::Fail;
    request.message = kProgram + QStringLiteral(": ") + message;
    return request;
}

// Why parsing failed: a value-taking option at the very end lacks its value;
// anything else is an unknown option.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments,
                   const QList<QCommandLineOption> &valueOptions)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        QString given = QStringLiteral("--") + name;
        for (const QString &argument : arguments.mid(1)) {
            if (argument.section(QLatin1Char('='), 0, 0) == QStringLiteral("-") + name)
                given = QStringLiteral("-") + name;
        }
        return QStringLiteral("未知的选项 %1（用 --help 查看可用的选项）").arg(given);
    }
    const QString last = arguments.size() > 1 ? arguments.last() : QString();
    for (const QCommandLineOption &option : valueOptions) {
        for (const QString &name : option.names()) {
            if (last == QStringLiteral("--") + name || last == QStringLiteral("-") + name)
                return QStringLiteral("选项 %1 缺少值").arg(last);
        }
    }
    return parser.errorText();
}

// The host of one option: the command line, else the environment, else the built-in one.
bool chooseHost(const QCommandLineParser &parser, const QCommandLineOption &option, const char *variable,
                const QProcessEnvironment &environment, QString *host, QString *error)
{
    QString text;
    QString source;
    if (parser.isSet(option)) {
        text = parser.value(option);
        source = QStringLiteral("--") + option.names().first();
    } else if (!environment.value(QLatin1String(variable)).isEmpty()) {
        text = environment.value(QLatin1String(variable));
        source = QStringLiteral("环境变量 ") + QLatin1String(variable);
    } else {
        return true;
    }
    *host = serviceHostUrl(text);
    if (host->isEmpty()) {
        *error = QStringLiteral("%1 的值 %2 不是 http 或 https 地址").arg(source, quoted(text));
        return false;
    }
    return true;
}

} // namespace

QString serviceHostUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || url.hasQuery() || url.hasFragment())
        return {};
    QString base = text;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

LaunchRequest parseLaunchOptions(const QStringList &arguments, const QProcessEnvironment &environment,
                                 const ServiceHosts &builtIn)
{
    const Options ours;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({ours.help, ours.version, ours.host1, ours.host2, ours.dataDir});
    QList<QCommandLineOption> valueOptions{ours.host1, ours.host2, ours.dataDir};
    for (const char *name : kQtValueOptions) {
        valueOptions.append(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
        parser.addOption(valueOptions.last());
    }
    for (const char *name : kQtFlagOptions)
        parser.addOption(QCommandLineOption(QLatin1String(name)));

    if (!parser.parse(arguments))
        return failure(parseError(parser, arguments, valueOptions));
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return failure(QStringLiteral("多余的参数 %1").arg(quoted(positional.at(1))));
    if (positional.size() == 1 && positional.first().trimmed().isEmpty())
        return failure(QStringLiteral("播放列表的参数是空的"));

    LaunchRequest request;
    if (parser.isSet(ours.help)) {
        request.action = LaunchRequest::Action::ShowHelp;
        request.message = helpText(builtIn);
        return request;
    }
    if (parser.isSet(ours.version)) {
        request.action = LaunchRequest::Action::ShowVersion;
        request.message = kProgram + QStringLiteral(" " CHENGYU_VERSION "\n");
        return request;
    }
    LaunchOptions &options = request.options;
    options.hosts = builtIn;
    QString error;
    if (!chooseHost(parser, ours.host1, HostVariable1, environment, &options.hosts.host1, &error) ||
        !chooseHost(parser, ours.host2, HostVariable2, environment, &options.hosts.host2, &error))
        return failure(error);
    options.dataDirGiven = parser.isSet(ours.dataDir);
    options.dataDir = parser.value(ours.dataDir);
    if (!positional.isEmpty())
        options.playlist = playlistArgument(positional.first());
    return request;
}

int finishWithoutWindow(const LaunchRequest &request)
{
    const bool failed = request.action == LaunchRequest::Action::Fail;
    QString text = request.message;
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    FILE *stream = failed ? stderr : stdout;
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return failed ? 2 : 0;
}

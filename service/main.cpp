#include "servicedata.h"
#include "servicehost.h"
#include "servicerouter.h"

#include "platform/datafolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

void printLine(FILE *stream, const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stream);
    std::fflush(stream);
}

struct Options
{
    QString dataFolder;
    QString mediaFolder;
    quint16 ports[2] = {8801, 8802};
    bool run[2] = {true, true};
};

bool readPort(const QString &text, quint16 *port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

// Without --data: the demo data of the installation the service belongs to,
// else the folder demo in the current folder (a source tree).
QString defaultDataFolder()
{
    const QString share = installedShareDir(QCoreApplication::applicationDirPath());
    if (!share.isEmpty() && QFileInfo(share + QStringLiteral("/demo")).isDir())
        return share + QStringLiteral("/demo");
    return QStringLiteral("demo");
}

// Without --media: the test streams of the installation, else those a build
// in the current folder made (build/media).
QString defaultMediaFolder()
{
    const QString share = installedShareDir(QCoreApplication::applicationDirPath());
    if (!share.isEmpty() && QFileInfo(share + QStringLiteral("/media")).isDir())
        return share + QStringLiteral("/media");
    return QStringLiteral("build/media");
}

bool parseOptions(const QCoreApplication &app, Options *options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The reference service: plays service host 1 and service host 2 on two ports of 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Data folder (accounts.txt, lists/)."),
                                  QStringLiteral("folder"), defaultDataFolder());
    const QCommandLineOption port1(QStringLiteral("port1"), QStringLiteral("Port of host 1 (0: any free port)."),
                                   QStringLiteral("port"), QStringLiteral("8801"));
    const QCommandLineOption port2(QStringLiteral("port2"), QStringLiteral("Port of host 2 (0: any free port)."),
                                   QStringLiteral("port"), QStringLiteral("8802"));
    const QCommandLineOption only1(QStringLiteral("only-host1"), QStringLiteral("Start host 1 only (host 2 refuses)."));
    const QCommandLineOption only2(QStringLiteral("only-host2"), QStringLiteral("Start host 2 only (host 1 refuses)."));
    const QCommandLineOption media(QStringLiteral("media"),
                                   QStringLiteral("Folder of the test streams (made by scripts/make-test-media)."),
                                   QStringLiteral("folder"), defaultMediaFolder());
    parser.addOptions({data, media, port1, port2, only1, only2});
    parser.process(app);
    if (parser.isSet(only1) && parser.isSet(only2)) {
        printLine(stderr, QStringLiteral("--only-host1 and --only-host2 exclude each other"));
        return false;
    }
    if (!readPort(parser.value(port1), &options->ports[0]) || !readPort(parser.value(port2), &options->ports[1])) {
        printLine(stderr, QStringLiteral("a port is a number from 0 to 65535"));
        return false;
    }
    options->dataFolder = parser.value(data);
    options->mediaFolder = parser.value(media);
    options->run[0] = !parser.isSet(only2);
    options->run[1] = !parser.isSet(only1);
    return true;
}

ServiceLimits limitsFor(int hosts)
{
#ifdef Q_OS_UNIX
    rlimit descriptors{};
    if (getrlimit(RLIMIT_NOFILE, &descriptors) == 0 && descriptors.rlim_cur != RLIM_INFINITY)
        return ServiceLimits::withinDescriptors(qint64(descriptors.rlim_cur), hosts);
#endif
    return ServiceLimits{};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chengyu-service"));
    Options options;
    if (!parseOptions(app, &options))
        return 2;

    ServiceData data;
    QString error;
    QStringList warnings;
    if (!data.load(options.dataFolder, &error, &warnings)) {
        printLine(stderr, error);
        return 1;
    }
    for (const QString &warning : warnings)
        printLine(stderr, warning);

    StreamMedia media;
    if (!media.load(options.mediaFolder, &error))
        printLine(stderr, error + QStringLiteral(": the stream channels answer 503"));
    ServiceRouter router(data, &media);
    const ServiceLimits limits = limitsFor(int(options.run[0]) + int(options.run[1]));
    std::unique_ptr<ServiceHost> hosts[2];
    for (int i = 0; i < 2; ++i) {
        if (!options.run[i])
            continue;
        hosts[i] = std::make_unique<ServiceHost>(i + 1, router);
        hosts[i]->setLimits(limits);
        if (!hosts[i]->start(options.ports[i])) {
            printLine(stderr, QStringLiteral("host %1: cannot listen on 127.0.0.1:%2").arg(i + 1).arg(options.ports[i]));
            return 1;
        }
        QObject::connect(hosts[i].get(), &ServiceHost::answered, [](const QString &line) { printLine(stdout, line); });
    }
    // The pages link to host 1 when it runs, so their links keep working when host 2 is down.
    data.setPageBase((hosts[0] ? hosts[0] : hosts[1])->baseUrl());
    for (const auto &host : hosts) {
        if (host)
            printLine(stdout, QStringLiteral("host%1 listening on %2").arg(host == hosts[0] ? 1 : 2).arg(host->baseUrl()));
    }
    printLine(stdout, QStringLiteral("data from %1: %2 accounts, %3 TV channels, %4 radio stations")
                          .arg(options.dataFolder)
                          .arg(data.accountCount())
                          .arg(data.tv().size())
                          .arg(data.radio().size()));
    return app.exec();
}

#pragma once

#include "account/servicehosts.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What the command line and the environment ask of one run of the program.
struct LaunchOptions
{
    ServiceHosts hosts;
    bool dataDirGiven = false;
    QString dataDir; // as given with --data-dir
    // The playlist to import at start: an http, https or file: address, or
    // an absolute file path; empty when none was given.
    QString playlist;
};

struct LaunchRequest
{
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    LaunchOptions options;
    // The help or version text, or the one-line error.
    QString message;
};

inline constexpr char HostVariable1[] = "CHENGYU_SERVICE_HOST1";
inline constexpr char HostVariable2[] = "CHENGYU_SERVICE_HOST2";

// Reads the command line (program name first, as in argv) and the service
// host variables of the environment; a host given on the command line wins
// over the environment, which wins over `builtIn`. Qt's own options (such as
// -platform or -style) are let through for the application object.
LaunchRequest parseLaunchOptions(const QStringList &arguments, const QProcessEnvironment &environment,
                                 const ServiceHosts &builtIn);

// The base URL of a service host: an http or https URL with a host name and
// without query or fragment, trailing slashes removed. Empty when the text is
// no such URL.
QString serviceHostUrl(const QString &text);

// Prints the message of a request that starts no window (help and version to
// standard output, an error to standard error) and gives the exit code: 0,
// or 2 after an error.
int finishWithoutWindow(const LaunchRequest &request);

#include "app/datafolderchoice.h"
#include "app/launchoptions.h"
#include "player/playersettings.h"
#include "player/playerview.h"
#include "playlist/companion.h"
#include "shell/form1.h"
#include "webview/enginewebview.h"

#include <QApplication>
#include <QTimer>

#include <clocale>

int main(int argc, char *argv[])
{
    // Read before the application object exists, so that --help, --version and
    // bad options work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const LaunchRequest request =
        parseLaunchOptions(arguments, QProcessEnvironment::systemEnvironment(),
                           ServiceHosts{QStringLiteral(CHENGYU_SERVICE_HOST1), QStringLiteral(CHENGYU_SERVICE_HOST2)});
    if (request.action != LaunchRequest::Action::Run)
        return finishWithoutWindow(request);

    if (!hasHomeFolder())
        QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    // The browser engine and the stream picture, which moves into a window of
    // its own for full screen, need OpenGL contexts shared application-wide.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The stream engine reads numbers the C way and will not start otherwise.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(QStringLiteral("chengyu-tv"));
    QGuiApplication::setDesktopFileName(QStringLiteral(CHENGYU_APP_ID));
    const AppPaths paths = chooseAppPaths(QCoreApplication::applicationDirPath(), request.options);
    // The player plays pages in the engine and streams in libmpv, keeping its volume with the other files.
    Form1 form(paths, request.options.hosts, engineWebViewFactory(),
               playerViewFactory(engineWebViewFactory(), paths.dataFile(QLatin1String(playersettings::FileName))));
    form.show();
    // Once the window shows: an address is fetched while it waits.
    if (!request.options.playlist.isEmpty())
        QTimer::singleShot(0, &form, [&form, &request] { form.importPlaylist(request.options.playlist); });
    const int code = app.exec();
    // An import's companion may still be on its way to the disk.
    waitForCompanionFiles();
    return code;
}

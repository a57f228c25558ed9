// Process start to the first layout of the shown main window, with the real
// browser engine and the sample lists. Prints milliseconds.
#include "shell/form1.h"
#include "webview/enginewebview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since this process started, from the kernel's record of it.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

class FirstLayout : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The layout runs on the resize that showing delivers; the first
        // pass of the event loop after the Show event has seen it through.
        if (event->type() == QEvent::Show && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("start to first layout of the shown window: %.0f ms\n", msSinceProcessStart());
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString programDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    Form1 form(programDir, ServiceHosts{QStringLiteral("http://127.0.0.1:9"), QStringLiteral("http://127.0.0.1:9")},
               engineWebViewFactory());
    FirstLayout probe;
    form.installEventFilter(&probe);
    form.show();
    return app.exec();
}

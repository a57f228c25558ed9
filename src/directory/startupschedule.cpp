#include "startupschedule.h"

#include "account/endpoints.h"
#include "directory/channellist.h"
#include "platform/datafolder.h"

#include <QFileInfo>

#include <climits>

namespace {

constexpr int kLoginTick = 1;
constexpr int kTvTick = 2;
constexpr int kAccountPageTick = 4;
constexpr int kRadioTick = 6;
constexpr int kLastTick = 10;

// Runs a copy: the hook may destroy the schedule that holds the original.
void run(std::function<void()> hook)
{
    if (hook)
        hook();
}

} // namespace

StartupSchedule::StartupSchedule(QLineEdit *Text3, QTimer *Timer1, WebView *WebBrowser1, WebView *WebBrowser2,
                                 const ServiceHosts &hosts, const QString &dataDir, StartupHooks hooks,
                                 QObject *parent)
    : QObject(parent)
    , m_text3(Text3)
    , m_timer1(Timer1)
    , m_main(WebBrowser1)
    , m_notice(WebBrowser2)
    , m_hosts(hosts)
    , m_dataDir(dataDir)
    , m_hooks(std::move(hooks))
{
    if (Timer1)
        connect(Timer1, &QTimer::timeout, this, &StartupSchedule::Timer1_Timer);
}

int StartupSchedule::tickValue(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

int StartupSchedule::readTicks() const { return m_text3 ? tickValue(m_text3->text()) : 0; }

// The login and the downloads wait in a fetch that keeps handling events, so
// later ticks can run inside an earlier one and do their own steps there. A
// tick therefore acts only on its own count, and only while the counter still
// reads it: the waiting tick, finding the counter advanced, must not repeat
// what the later ticks already did.
bool StartupSchedule::stillAt(int tick, int t) const { return t == tick && readTicks() == tick; }

void StartupSchedule::Timer1_Timer()
{
    if (!m_text3)
        return;
    const int before = readTicks();
    const int t = before < INT_MAX ? before + 1 : before;
    m_text3->setText(QString::number(t));

    const QPointer<StartupSchedule> self(this);
    if (stillAt(kLoginTick, t))
        firstTick();
    if (!self)
        return;
    if (stillAt(kAccountPageTick, t))
        accountPage();
    if (stillAt(kTvTick, t) && listFileMissing(TvListFileName))
        run(m_hooks.tvDownload);
    if (!self)
        return;
    if (stillAt(kRadioTick, t) && listFileMissing(RadioListFileName))
        run(m_hooks.radioDownload);
    if (!self)
        return;
    if (readTicks() >= kLastTick && m_timer1)
        m_timer1->stop();
}

void StartupSchedule::firstTick()
{
    if (savedUser().isEmpty() || savedPassword().isEmpty()) {
        if (m_notice)
            m_notice->Navigate(Endpoints(m_hosts).verificationPlain());
        return;
    }
    run(m_hooks.mailDenglu);
}

void StartupSchedule::accountPage()
{
    if (m_main)
        m_main->Navigate(Endpoints(m_hosts).accountPage(savedUser()));
}

bool StartupSchedule::listFileMissing(const char *name) const
{
    // Only a regular file counts: the loader reads nothing else either.
    return !QFileInfo(dataFilePath(m_dataDir, QString::fromLatin1(name))).isFile();
}

QString StartupSchedule::savedUser() const { return m_hooks.savedUser ? m_hooks.savedUser() : QString(); }

QString StartupSchedule::savedPassword() const
{
    return m_hooks.savedPassword ? m_hooks.savedPassword() : QString();
}

#include "startupschedule.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <climits>

namespace {

constexpr int kLoginTick = 1;
constexpr int kTvTick = 2;
constexpr int kAccountPageTick = 4;
constexpr int kRadioTick = 6;
constexpr int kLastTick = 10;

// Only a regular file counts: the loader reads nothing else either.
bool missing(const QString &listFile) { return !QFileInfo(listFile).isFile(); }

} // namespace

StartupSchedule::StartupSchedule(QLineEdit *Text3, const QString &tvListFile, const QString &radioListFile,
                                 const SavedCredentials &saved, const Endpoints &endpoints, QObject *parent)
    : QObject(parent)
    , m_text3(Text3)
    , m_timer1(new QTimer(this))
    , m_tvListFile(tvListFile)
    , m_radioListFile(radioListFile)
    , m_saved(saved)
    , m_endpoints(endpoints)
{
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &StartupSchedule::Timer1_Timer);
}

void StartupSchedule::start() { m_timer1->start(); }

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

// A step may end with the schedule destroyed (the window closed inside a
// fetch); nothing of it is touched after that.
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
        Q_EMIT openInPlayer(m_endpoints.accountPage(m_saved.user));
    if (stillAt(kTvTick, t) && missing(m_tvListFile))
        Q_EMIT tvDownloadDue();
    if (!self)
        return;
    if (stillAt(kRadioTick, t) && missing(m_radioListFile))
        Q_EMIT radioDownloadDue();
    if (!self)
        return;
    if (readTicks() >= kLastTick) {
        m_timer1->stop();
        if (!m_finished) {
            m_finished = true;
            Q_EMIT finished();
        }
    }
}

void StartupSchedule::firstTick()
{
    if (m_saved.user.isEmpty() || m_saved.password.isEmpty())
        Q_EMIT openInNotice(m_endpoints.verificationPlain());
    else
        Q_EMIT loginDue();
}

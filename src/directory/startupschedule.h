#pragma once

#include "account/credentialsfile.h"
#include "account/endpoints.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QLineEdit;
class QTimer;

// The first five seconds after start, driven by Timer1 (500 ms, its own)
// with the tick count kept in Text3: tick 1 the automatic login (or, without
// a saved account, the verification page in the notice view), tick 2 the TV
// download when its list file is missing, tick 4 the account page in the
// main view, tick 6 the radio download when its list file is missing, tick 10
// the timer off. What it starts elsewhere it asks for through its signals.
class StartupSchedule : public QObject
{
    Q_OBJECT
public:
    // saved: the account read at start.
    StartupSchedule(QLineEdit *Text3, const QString &tvListFile, const QString &radioListFile,
                    const SavedCredentials &saved, const Endpoints &endpoints, QObject *parent = nullptr);

    // Starts Timer1 (when the window is first shown).
    void start();
    void Timer1_Timer();

    // The numeric value of the tick counter's text: empty or non-numeric text is 0.
    static int tickValue(const QString &text);

Q_SIGNALS:
    void loginDue();
    void tvDownloadDue();
    void radioDownloadDue();
    void openInPlayer(const QString &url);
    void openInNotice(const QString &url);
    // Timer1 has been switched off for good.
    void finished();

private:
    int readTicks() const;
    bool stillAt(int tick, int t) const;
    void firstTick();

    QPointer<QLineEdit> m_text3;
    QTimer *m_timer1;
    QString m_tvListFile;
    QString m_radioListFile;
    const SavedCredentials &m_saved;
    Endpoints m_endpoints;
    bool m_finished = false;
};

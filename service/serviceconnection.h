#pragma once

#include "httpsession.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

// One client connection of a host: moves bytes between the socket and the
// session. It reads only while the session wants a request, and asks the
// session for output only while less than the bound waits unsent, so a client
// that sends too much or reads too little costs a bounded amount of memory.
class ServiceConnection : public QObject
{
    Q_OBJECT
public:
    // `clock` gives milliseconds on the host's clock.
    ServiceConnection(QTcpSocket *socket, HttpSession::Handler handler, HttpSession::Logger logger,
                      const ServiceLimits &limits, std::function<qint64()> clock, QObject *parent = nullptr);
    ~ServiceConnection() override;

    // Starts moving bytes; connect to closed() first.
    void start();

    // When bytes last moved either way (or the connection opened).
    qint64 lastActivity() const { return m_lastActivity; }
    // Closes the connection when one of its time-outs has passed.
    void checkTime();
    // Closes at once; emits closed().
    void abort();

Q_SIGNALS:
    void closed(ServiceConnection *connection);

private:
    void pump();
    void onBytesWritten();
    void startClosing();
    void discardInput();
    void finish();

    QTcpSocket *m_socket;
    HttpSession m_session;
    ServiceLimits m_limits;
    std::function<qint64()> m_clock;
    QTimer m_streamRetry;
    qint64 m_lastActivity = 0;
    qint64 m_lastWrite = 0;
    qint64 m_waitingSince = 0;
    qint64 m_closingSince = -1;
    qint64 m_discarded = 0;
    bool m_finished = false;
};

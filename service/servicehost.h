#pragma once

#include "httpsession.h"
#include "servicelimits.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class ServiceConnection;
class ServiceRouter;

// One host of the service on 127.0.0.1: hands every request to the shared
// router and reports every answer in one line. Keeps to its limits whatever
// the clients do (see ServiceLimits).
class ServiceHost : public QObject
{
    Q_OBJECT
public:
    ServiceHost(int number, ServiceRouter &router, QObject *parent = nullptr);
    // Answers with `handler` instead of a router.
    ServiceHost(int number, HttpSession::Handler handler, QObject *parent = nullptr);
    ~ServiceHost() override;

    // Set before start().
    void setLimits(const ServiceLimits &limits);

    // The port listened on (the system picks one for port 0); 0 when listening failed.
    quint16 start(quint16 port);
    quint16 port() const { return m_port; }
    QString baseUrl() const; // "http://127.0.0.1:<port>"
    qsizetype connectionCount() const { return m_connections.size(); }

    // Longer log lines are cut to this many characters.
    static constexpr int LogLineLimit = 512;
    static QString logLine(int host, const QString &answerLine);

Q_SIGNALS:
    // "host1 GET /user/denglu.asp?yh=abc&pw=*** 200"
    void answered(const QString &line);

private:
    void acceptConnections();
    void acceptFailed();
    void closeQuietest();
    void sweep();
    void forget(ServiceConnection *connection);

    int m_number;
    HttpSession::Handler m_handler;
    ServiceLimits m_limits;
    QTcpServer m_server;
    QList<ServiceConnection *> m_connections;
    QElapsedTimer m_clock;
    QTimer m_sweep;
    quint16 m_port = 0;
};

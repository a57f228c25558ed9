#pragma once

#include <QAbstractHttpServer>

class ServiceRouter;

// One host of the service on 127.0.0.1: hands every request to the shared
// router and reports every answer in one line.
class ServiceHost : public QAbstractHttpServer
{
    Q_OBJECT
public:
    ServiceHost(int number, ServiceRouter &router, QObject *parent = nullptr);

    // The port listened on (the system picks one for port 0); 0 when listening failed.
    quint16 start(quint16 port);
    quint16 port() const { return m_port; }
    QString baseUrl() const; // "http://127.0.0.1:<port>"

Q_SIGNALS:
    // "host1 GET /user/denglu.asp?yh=abc&pw=*** 200"
    void answered(const QString &line);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    int m_number;
    ServiceRouter &m_router;
    quint16 m_port = 0;
};

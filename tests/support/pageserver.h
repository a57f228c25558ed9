#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// Serves a fixed HTML page per path on 127.0.0.1, on a port the system picks,
// and records the paths it was asked for.
class PageServer : public QTcpServer
{
public:
    QHash<QByteArray, QByteArray> pages;
    QList<QByteArray> requested;

    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
        listen(QHostAddress::LocalHost, 0);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    QString url(const char *path) const { return base() + QLatin1String(path); }

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        requested.append(path);
        const bool found = pages.contains(path);
        const QByteArray body = pages.value(path, "<html><body>missing</body></html>");
        socket->write("HTTP/1.1 " + QByteArray(found ? "200 OK" : "404 Not Found")
                      + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// A request as the service reads it. Query values arrive percent-encoded as
// code page 936 bytes (the service speaks GB2312); "+" stands for a blank.
struct ServiceRequest
{
    QString method = QStringLiteral("GET");
    QString path;
    bool hasQuery = false;
    QList<QPair<QString, QString>> query;

    static ServiceRequest parse(const QString &method, const QString &path, const QByteArray &encodedQuery,
                                bool hasQuery);

    bool has(const QString &key) const;
    // The first value of the key (keys match without regard to case), empty when absent.
    QString value(const QString &key) const;
    // "path?key=value&..." for the log, with every password masked.
    QString logged() const;
};

struct ServiceAnswer
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};

#pragma once

#include "account/credentialsfile.h"
#include "account/endpoints.h"

#include <QObject>
#include <QString>

class ChannelDirectory;

// Replaces the directory's entries with those of an accepted list text, whose
// rows then show them all, and writes the text, followed by CR LF, to the
// list file (removing the companion playlist of an earlier import).
void storeDownloadedList(const QString &text, ChannelDirectory &directory, const QString &listFile);

// One directory's refresh from the service: service host 2 first, then
// service host 1; the accepted text is listed, tabled and written to the list
// file. Each run works on its own copy of the text from fetch to file, so two
// runs that overlap while a fetch waits never mix their directories. A run in
// which neither host delivers an accepted reply changes nothing that was there.
class ChannelDownload : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Tv, Radio };

    // saved: the account whose name goes with the request (SavedUser).
    ChannelDownload(Kind kind, ChannelDirectory &directory, const QString &listFile, const Endpoints &endpoints,
                    const SavedCredentials &saved, QObject *parent = nullptr);

    // The whole download; runs inside the click or tick that started it. A
    // run while one runs already does nothing.
    void run();

    // The acceptance marker of the kind: "卫视" for TV, "广播" for radio.
    static QString marker(Kind kind);

Q_SIGNALS:
    // The list-text holder (Text2) is to hold this text.
    void holderChanged(const QString &text);
    // A run starts or ends (its button is disabled meanwhile).
    void runningChanged(bool running);
    // TV only: service host 2 delivered the list for this account name.
    void verificationDue(const QString &name);

private:
    QString fetch(Endpoints::Host host, const QString &name) const;
    void refresh();

    Kind m_kind;
    ChannelDirectory &m_directory;
    QString m_listFile;
    Endpoints m_endpoints;
    const SavedCredentials &m_saved;
    bool m_running = false;
};

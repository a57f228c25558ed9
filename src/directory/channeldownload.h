#pragma once

#include "account/endpoints.h"

#include <QObject>
#include <QString>

#include <functional>

class ChannelDirectory;
class MultiLineTextBox;
class QPushButton;
class WebView;

// Replaces the directory's entries with those of an accepted list text, whose
// rows then show them all, and writes the text, followed by CR LF, to the
// list file.
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

    struct Context
    {
        Kind kind = Kind::Tv;
        ChannelDirectory *directory = nullptr;
        MultiLineTextBox *holder = nullptr; // Text2: the last accepted list text
        QPushButton *button = nullptr;
        QString listFile;
        Endpoints endpoints{ServiceHosts{}};
        std::function<QString()> accountName; // SavedUser
        // TV only: the login dialog's status box text, and the notice view.
        std::function<QString()> loginStatus;
        WebView *noticeView = nullptr;
    };

    explicit ChannelDownload(Context context, QObject *parent = nullptr);

    // The whole download; runs inside the click or tick that started it.
    void run();

    // The acceptance marker of the kind: "卫视" for TV, "广播" for radio.
    static QString marker(Kind kind);

private:
    QString fetch(Endpoints::Host host, const QString &name) const;
    void requestVerificationPage(const QString &name) const;
    void refresh();
    void begin();
    void end();

    Context m;
    bool m_running = false;
};

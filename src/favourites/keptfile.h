#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A small file the program keeps in its data folder and rewrites whole. It is
// UTF-8 text: a first line naming what the file holds and the format version
// ("chengyu-tv favourites 1"), then one record per line, its fields separated
// by tabs. A backslash, tab, line feed or carriage return inside a field is
// written as \\, \t, \n or \r, so any text comes back as it went in.
//
// Reading takes what it can. A record line that is not valid UTF-8, holds a
// broken escape or lacks its line end (a cut file) is skipped; a file of
// another kind or version gives no records. Either way the file counts as
// not read whole, and before it is first rewritten a copy of it is kept
// beside it, as <name>.bad (or <name>.bad2 ... <name>.bad9 when those are
// taken). When no copy can be made, the file is left alone for the rest of
// the run. A path that is not a regular file is never read nor replaced.

inline constexpr int KeptFileVersion = 1;
// Reading stops here: ten thousand long URLs fit, a stray huge file does not
// exhaust memory. What lies beyond counts as damage.
inline constexpr qint64 KeptFileReadLimit = 64 * 1024 * 1024;

struct KeptRecords
{
    QList<QStringList> records;
    bool whole = true; // every line was understood
};

QByteArray formatKeptFile(const QByteArray &kind, const QList<QStringList> &records);
KeptRecords parseKeptFile(const QByteArray &content, const QByteArray &kind);

class KeptFile
{
public:
    // An empty path keeps nothing: read() finds no records, write() does nothing.
    KeptFile(QString path, QByteArray kind);

    QList<QStringList> read();
    // The caller met a record it does not understand: the file is kept
    // before it is rewritten.
    void markDamaged();
    // Replaces the file atomically; returns whether it now holds the records.
    bool write(const QList<QStringList> &records);

    const QString &path() const { return m_path; }

private:
    enum class State { Clean, KeepCopyFirst, LeaveAlone };
    bool keepCopy() const;

    QString m_path;
    QByteArray m_kind;
    State m_state = State::Clean;
};

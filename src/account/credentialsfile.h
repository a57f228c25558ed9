#pragma once

#include <QByteArray>
#include <QString>

// The saved-credentials file "lumatv.dat" in the data folder: the
// account name and the password, each scrambled, one per line, in code page
// 936 with CR LF line ends.

inline constexpr char CredentialsFileName[] = "lumatv.dat";

// Reading stops after this many bytes: two scrambled lines of the 20
// characters a login box holds need well under a kilobyte.
inline constexpr qint64 CredentialsReadLimit = 64 * 1024;

struct SavedCredentials
{
    QString user;
    QString password;
    // A regular file of that name exists (hidden and read-only ones too).
    bool fileFound = false;

    bool hasAccount() const { return !user.isEmpty() || !password.isEmpty(); }
};

// Writes the pair, each scrambled afresh, when both are non-empty; does
// nothing otherwise. The file is replaced whole or not at all, and on POSIX
// systems it is readable and writable by its owner only. Returns whether the
// file now holds the pair. An empty dataDir keeps nothing.
bool SaveCredentials(const QString &dataDir, const QString &user, const QString &password);

// Reads and unscrambles the saved pair. A missing line reads as empty text,
// anything after line 2 (or after the first CredentialsReadLimit bytes) is
// ignored. Never fails: an unreadable or odd file gives what could be read.
SavedCredentials LoadCredentials(const QString &dataDir);

// The unscrambled pair of a file's bytes (fileFound set); lines end in CR LF
// or LF alone.
SavedCredentials parseCredentials(const QByteArray &content);

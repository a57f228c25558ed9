#include "credentialsfile.h"

#include "account/scramblecodec.h"
#include "platform/atomicfile.h"
#include "platform/codepage936.h"
#include "platform/datafolder.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString credentialsPath(const QString &dataDir)
{
    return dataFilePath(dataDir, QLatin1String(CredentialsFileName));
}

QByteArray scrambledLine(const QString &text)
{
    return cp936::fromUnicode(ScrambleText(text)) + "\r\n";
}

// The line that starts at `from`, without its line end; moves `from` past it.
QByteArray takeLine(const QByteArray &content, qsizetype &from)
{
    qsizetype end = content.indexOf('\n', from);
    if (end < 0)
        end = content.size();
    QByteArray line = content.mid(from, end - from);
    from = end + 1;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

bool SaveCredentials(const QString &dataDir, const QString &user, const QString &password)
{
    if (user.isEmpty() || password.isEmpty())
        return false;
    const QByteArray content = scrambledLine(user) + scrambledLine(password);
    // The password is only hidden, not encrypted: keep other users out.
    return writeFileAtomically(credentialsPath(dataDir), content, true);
}

SavedCredentials parseCredentials(const QByteArray &content)
{
    qsizetype from = 0;
    const QByteArray first = takeLine(content, from);
    const QByteArray second = takeLine(content, from);
    return SavedCredentials{UnscrambleText(cp936::toUnicode(first)), UnscrambleText(cp936::toUnicode(second)), true};
}

SavedCredentials LoadCredentials(const QString &dataDir)
{
    QFile file(credentialsPath(dataDir));
    const QFileInfo info(file.fileName());
    // Only a regular file counts: a pipe or a device could block or never end.
    if (!info.isFile())
        return {};
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(CredentialsReadLimit);
    return parseCredentials(head);
}

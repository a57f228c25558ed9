#include "guidesource.h"

#include "platform/atomicfile.h"
#include "platform/datafolder.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// A source is one address or path; anything longer is not a choice the
// dialog made.
constexpr qint64 kMaxChoiceBytes = 8 * 1024;

QString choiceFile(const QString &dataFolder)
{
    return dataFilePath(dataFolder, QLatin1String(GuideSourceFileName));
}

} // namespace

QString playlistGuideSource(const QString &urlTvg)
{
    for (const QString &part : urlTvg.split(QLatin1Char(','))) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            return trimmed;
    }
    return QString();
}

QString chooseGuideSource(const QString &chosen, const QStringList &playlistGuides, const QString &serviceHost)
{
    if (!chosen.trimmed().isEmpty())
        return chosen.trimmed();
    for (const QString &guide : playlistGuides) {
        const QString first = playlistGuideSource(guide);
        if (!first.isEmpty())
            return first;
    }
    return serviceHost.isEmpty() ? QString() : serviceHost + QStringLiteral("/guide.xml");
}

QString loadGuideSourceChoice(const QString &dataFolder)
{
    const QString path = choiceFile(dataFolder);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxChoiceBytes)
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.read(kMaxChoiceBytes));
    if (utf8.hasError())
        return QString();
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool saveGuideSourceChoice(const QString &dataFolder, const QString &source)
{
    const QString path = choiceFile(dataFolder);
    if (path.isEmpty())
        return false;
    const QString line = source.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    return writeFileAtomically(path, line.isEmpty() ? QByteArray() : line.toUtf8() + '\n');
}

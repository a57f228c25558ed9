#include "favourites.h"

#include "platform/datafolder.h"

namespace {

constexpr DirectoryKind bothDirectories[] = {DirectoryKind::Tv, DirectoryKind::Radio};

} // namespace

Favourites::Favourites(const QString &dataDir)
    : m_file(dataFilePath(dataDir, QLatin1String(FavouritesFileName)), "favourites")
{
    load();
}

bool Favourites::contains(DirectoryKind directory, QStringView url) const
{
    return !url.isEmpty() && marksOf(directory).contains(url);
}

void Favourites::setFavourite(DirectoryKind directory, const QString &url, bool favourite)
{
    if (url.isEmpty())
        return;
    UrlSet &marks = marksOf(directory);
    if (favourite ? marks.insert(url) : marks.remove(url))
        save();
}

bool Favourites::toggle(DirectoryKind directory, const QString &url)
{
    setFavourite(directory, url, !contains(directory, url));
    return contains(directory, url);
}

int Favourites::count(DirectoryKind directory) const
{
    return int(marksOf(directory).size());
}

QStringList Favourites::urls(DirectoryKind directory) const
{
    return marksOf(directory).urls();
}

void Favourites::load()
{
    for (const QStringList &record : m_file.read()) {
        const auto directory = directoryFromWord(record.value(0));
        if (record.size() != 2 || !directory || record.at(1).isEmpty()) {
            m_file.markDamaged();
            continue;
        }
        marksOf(*directory).insert(record.at(1));
    }
}

void Favourites::save()
{
    QList<QStringList> records;
    for (const DirectoryKind directory : bothDirectories) {
        const QString word = directoryWord(directory);
        for (const QString &url : marksOf(directory).urls())
            records.append({word, url});
    }
    m_file.write(records);
}

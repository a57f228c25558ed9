// Favourites over a directory of 200,000 entries of which 10,000 are marked:
// the star of every entry, the favourites-only rows, one mark set or
// cleared, and reading the favourites file at start; then the same as the
// lists see them, through the directory's rows.
#include "directory/channeldirectory.h"
#include "favourites/favouritemarks.h"
#include "favourites/favourites.h"
#include "platform/atomicfile.h"

#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int EntryCount = 200000;
constexpr int FavouriteEvery = 20; // 10,000 favourites

// The URLs kept as a directory keeps them: one text, each followed by a line
// feed, and where each starts.
struct Urls
{
    QString text;
    std::vector<qsizetype> starts{0};

    QString url(int n) const { return QStringLiteral("http://127.0.0.1/live/%1.m3u8").arg(n); }
    QStringView at(int i) const { return QStringView(text).sliced(starts[i], starts[i + 1] - starts[i] - 1); }
};

const Urls &urls()
{
    static const Urls all = [] {
        Urls u;
        for (int n = 0; n < EntryCount; ++n) {
            u.text += u.url(n) + u'\n';
            u.starts.push_back(u.text.size());
        }
        return u;
    }();
    return all;
}

QStringView urlAt(int i)
{
    return urls().at(i);
}

void markFavourites(Favourites &favourites)
{
    for (int n = 0; n < EntryCount; n += FavouriteEvery)
        favourites.setFavourite(DirectoryKind::Tv, urls().url(n), true);
}

// The file of a data folder holding the same favourites, written at once.
void writeFavouritesFile(const QTemporaryDir &dir)
{
    QList<QStringList> records;
    for (int n = 0; n < EntryCount; n += FavouriteEvery)
        records.append({QStringLiteral("tv"), urls().url(n)});
    writeFileAtomically(dir.filePath(QLatin1String(FavouritesFileName)), formatKeptFile("favourites", records));
}

// Asks for the star of every entry, as a view showing all rows at once would.
void BM_StarOfEveryEntry(benchmark::State &state)
{
    Favourites favourites;
    markFavourites(favourites);
    for (auto _ : state) {
        int stars = 0;
        for (int i = 0; i < EntryCount; ++i)
            stars += favourites.contains(DirectoryKind::Tv, urlAt(i)) ? 1 : 0;
        benchmark::DoNotOptimize(stars);
    }
}
BENCHMARK(BM_StarOfEveryEntry)->Unit(benchmark::kMillisecond);

void BM_FavouritesOnlyRows(benchmark::State &state)
{
    Favourites favourites;
    markFavourites(favourites);
    for (auto _ : state) {
        const QList<int> rows = favourites.favouriteEntries(DirectoryKind::Tv, EntryCount, urlAt);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_FavouritesOnlyRows)->Unit(benchmark::kMillisecond);

// The favourites among quick-select matches that leave most entries shown.
void BM_FavouritesAmongMatches(benchmark::State &state)
{
    Favourites favourites;
    markFavourites(favourites);
    QList<int> matches;
    for (int i = 0; i < EntryCount; ++i) {
        if (i % 7 != 0)
            matches.append(i);
    }
    for (auto _ : state) {
        const QList<int> rows = favourites.keepFavourites(DirectoryKind::Tv, matches, urlAt);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_FavouritesAmongMatches)->Unit(benchmark::kMillisecond);

// One mark set or cleared among 10,000 (in turn): in memory only, and with
// the file rewritten.
void BM_ToggleMark(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFavouritesFile(dir);
    Favourites favourites(state.range(0) ? dir.path() : QString());
    if (!state.range(0))
        markFavourites(favourites);
    const QString url = urls().url(1);
    for (auto _ : state)
        favourites.toggle(DirectoryKind::Tv, url);
}
BENCHMARK(BM_ToggleMark)->ArgName("written")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReadAtStart(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFavouritesFile(dir);
    for (auto _ : state) {
        const Favourites favourites(dir.path());
        benchmark::DoNotOptimize(favourites.count(DirectoryKind::Tv));
    }
}
BENCHMARK(BM_ReadAtStart)->Unit(benchmark::kMillisecond);

// The TV directory holding every entry, named after its number.
ChannelEntries directoryEntries()
{
    ChannelEntries entries;
    for (int n = 0; n < EntryCount; ++n)
        entries.append(QString::number(n), urlAt(n));
    return entries;
}

// The marks of a directory of 200,000 entries with 10,000 favourites, read
// from the data folder or, without one, kept in memory (marked before the
// directory is attached, so that the stars are made once, at the first row
// asked for).
struct MarkedDirectory
{
    FavouriteMarks marks;
    ChannelDirectory directory;

    explicit MarkedDirectory(const QString &dataDir = QString())
        : marks(dataDir)
    {
        for (int n = 0; dataDir.isEmpty() && n < EntryCount; n += FavouriteEvery)
            marks.toggle(DirectoryKind::Tv, urls().url(n));
        directory.setEntries(directoryEntries());
        marks.attach(directory, DirectoryKind::Tv, QVariant(1), QVariant(0));
        directory.index(0).data(Qt::DecorationRole);
    }
};

// A mark set or cleared (in turn) on one row: the entries with that URL, the
// stars and, when only favourites are shown, the rows follow; with the file
// rewritten or in memory.
void BM_MarkRow(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFavouritesFile(dir);
    MarkedDirectory d(state.range(1) ? dir.path() : QString());
    d.marks.setFavouritesOnly(DirectoryKind::Tv, state.range(0) != 0);
    const QString url = urls().url(FavouriteEvery * 5000);
    for (auto _ : state)
        d.marks.toggle(DirectoryKind::Tv, url);
}
BENCHMARK(BM_MarkRow)->ArgNames({"only", "written"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// 只看收藏 chosen (and chosen again) over all 200,000 rows.
void BM_FavouritesOnlyOnAndOff(benchmark::State &state)
{
    MarkedDirectory d;
    for (auto _ : state) {
        d.marks.setFavouritesOnly(DirectoryKind::Tv, true);
        benchmark::DoNotOptimize(d.directory.rowCount());
        state.PauseTiming();
        d.marks.setFavouritesOnly(DirectoryKind::Tv, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FavouritesOnlyOnAndOff)->Unit(benchmark::kMillisecond);

// A refresh brought new entries: the first star asked for marks them all.
void BM_StarsAfterNewEntries(benchmark::State &state)
{
    MarkedDirectory d;
    const ChannelEntries entries = directoryEntries();
    for (auto _ : state) {
        state.PauseTiming();
        ChannelEntries fresh;
        fresh.append(u"0", u"");
        d.directory.setEntries(fresh); // a new entry table: the stars are made anew
        d.directory.index(0).data(Qt::DecorationRole);
        d.directory.setEntries(entries);
        state.ResumeTiming();
        benchmark::DoNotOptimize(d.directory.index(0).data(Qt::DecorationRole));
    }
}
BENCHMARK(BM_StarsAfterNewEntries)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

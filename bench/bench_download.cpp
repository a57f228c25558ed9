// What a list refresh does beyond the fetch: parse the accepted text, list
// it, fill the tables and write the list file.
#include "directory/channeldirectory.h"
#include "directory/channeldownload.h"

#include <QTemporaryDir>

#include "benchmain.h"
#include "shownlist.h"

namespace {

QString listText(int entries)
{
    QString text;
    for (int i = 0; i < entries; ++i)
        text += QStringLiteral("湖南卫视%1\r\nhttp://127.0.0.1:8801/play/tv/%1\r\n").arg(i);
    return text;
}

void BM_StoreDownloadedList(benchmark::State &state)
{
    const QString text = listText(int(state.range(0)));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dianshibiao.ini"));
    ChannelDirectory directory;
    const ShownList shown(directory);
    for (auto _ : state) {
        storeDownloadedList(text, directory, file);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(directory.rowCount());
    }
}
BENCHMARK(BM_StoreDownloadedList)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

CHENGYU_BENCHMARK_WIDGETS_MAIN()

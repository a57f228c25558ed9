// Loading a list file: read, decode, pinyin initials, entries, search text
// and list rows.
#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "platform/codepage936.h"

#include <QFile>
#include <QTemporaryDir>

#include "benchmain.h"
#include "shownlist.h"

namespace {

const char16_t *kNames[] = {u"湖南卫视", u"浙江卫视", u"凤凰卫视中文台", u"CCTV-1 综合", u"北京新闻", u"中央1台"};

QString writeListFile(const QTemporaryDir &dir, int entries)
{
    QString text;
    for (int i = 0; i < entries; ++i) {
        text += QString::fromUtf16(kNames[i % std::size(kNames)]) + QString::number(i) + QStringLiteral("\r\n");
        text += QStringLiteral("http://127.0.0.1:8801/play/tv/%1\r\n").arg(i);
    }
    const QString path = dir.filePath(QStringLiteral("dianshibiao.ini"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(cp936::fromUnicode(text));
    return path;
}

void BM_LoadListFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeListFile(dir, int(state.range(0)));
    ChannelDirectory directory;
    const ShownList shown(directory);
    for (auto _ : state) {
        loadDirectory(path, directory);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(directory.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadListFile)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

CHENGYU_BENCHMARK_WIDGETS_MAIN()

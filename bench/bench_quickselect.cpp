// One keystroke in the quick-select box: the filter over every entry, the new
// rows of the directory, and the events the list box needs to lay itself
// out, for a directory of 4401 and one of 200,000 entries.
#include "directory/channeldirectory.h"
#include "platform/listbox.h"
#include "quickselect/quickselect.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>

namespace {

ChannelEntries makeDirectory(int count)
{
    const QStringList names = {
        QStringLiteral("湖南卫视"),   QStringLiteral("中央1台"),    QStringLiteral("凤凰卫视中文台"),
        QStringLiteral("北京新闻"),   QStringLiteral("CCTV-1综合"), QStringLiteral("东方卫视"),
        QStringLiteral("广东体育"),   QStringLiteral("江苏城市"),   QStringLiteral("浙江影视"),
        QStringLiteral("天津文艺"),   QStringLiteral("重庆少儿"),   QStringLiteral("四川经济"),
        QStringLiteral("陕西农林"),   QStringLiteral("云南都市"),   QStringLiteral("辽宁生活"),
        QStringLiteral("音乐之声"),   QStringLiteral("中国之声"),   QStringLiteral("旅游卫视"),
        QStringLiteral("福建海峡"),   QStringLiteral("山东齐鲁"),   QStringLiteral("河南梨园"),
        QStringLiteral("贵州公共"),   QStringLiteral("深圳财经"),   QStringLiteral("黑龙江新闻"),
    };
    ChannelEntries entries;
    for (int n = 0; n < count; ++n) {
        const QString name = names[n % names.size()] + QString::number(n / names.size());
        entries.append(name, QStringLiteral("http://127.0.0.1/live/%1.m3u8").arg(n));
    }
    entries.squeeze();
    return entries;
}

// A main window's worth of quick select over a TV directory of `count` entries.
struct Window
{
    explicit Window(int count)
    {
        tv.setEntries(makeDirectory(count));
        list2.setModel(&tv);
        list2.resize(130, 600);
        list2.show();
        switchOn();
    }

    // Quick select as just switched on, no key typed yet.
    void switchOn()
    {
        quickSelect.reset();
        box.clear();
        quickSelect = std::make_unique<QuickSelect>(box, tv, radio);
        quickSelect->qugg_Click(true);
        settle();
    }

    // One change of the box text and the pass of the event loop in which the
    // list box lays out the new rows (the paint of the rows in sight follows
    // in the next pass). Longer lists lay out their further rows later.
    void type(const QString &text)
    {
        box.setText(text);
        QCoreApplication::processEvents();
    }

    // Everything the last change left to do (the paint, further rows), done:
    // the next key comes a moment later and must not be charged for it.
    void settle()
    {
        for (int pass = 0; pass < 40; ++pass)
            QCoreApplication::processEvents();
    }

    ChannelDirectory tv;
    ChannelDirectory radio;
    QLineEdit box;
    ListBox list2;
    std::unique_ptr<QuickSelect> quickSelect;
};

std::map<int, std::unique_ptr<Window>> &windows()
{
    static std::map<int, std::unique_ptr<Window>> all;
    return all;
}

Window &window(int count)
{
    auto &w = windows()[count];
    if (!w)
        w = std::make_unique<Window>(count);
    return *w;
}

// More keys than the filter remembers, so that none is answered from memory.
const QStringList kFirstKeys = QStringLiteral("A B C D E F G H J K L M N O P Q R S T W X Y Z 0 1 2 3 4 5 6 7 8 9 . 湖 视")
                                   .split(u' ');
const QStringList kWords = {QStringLiteral("HNWS"), QStringLiteral("ZY1T"), QStringLiteral("FHWS"),
                            QStringLiteral("BJXW"), QStringLiteral("CCTV"), QStringLiteral("DFWS"),
                            QStringLiteral("GDTY"), QStringLiteral("JSCS"), QStringLiteral("ZJYS"),
                            QStringLiteral("TJWY"), QStringLiteral("ZQSE"), QStringLiteral("SCJJ"),
                            QStringLiteral("SXNL"), QStringLiteral("YNDS"), QStringLiteral("LNSH"),
                            QStringLiteral("YLZS"), QStringLiteral("ZGZS"), QStringLiteral("LYWS"),
                            QStringLiteral("FJHX"), QStringLiteral("SDQL")};

using Clock = std::chrono::steady_clock;

// Times `timed` after `setUp` and what it left to do, and records the
// slowest run and the list size.
template <typename SetUp, typename Timed>
void measure(benchmark::State &state, Window &w, SetUp setUp, Timed timed)
{
    double slowest = 0;
    double rows = 0;
    size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setUp(i);
        w.settle();
        state.ResumeTiming();
        const auto start = Clock::now();
        timed(i);
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        rows += w.list2.ListCount();
        ++i;
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["rows"] = benchmark::Counter(rows, benchmark::Counter::kAvgIterations);
}

// The first character typed into the empty box: every entry is searched.
void BM_FirstKey(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t) { w.type(QString()); },
        [&](size_t i) { w.type(kFirstKeys[i % kFirstKeys.size()]); });
}

// The digit 1 as the first key: it is in most entry numbers, so most of the
// directory stays and is shown.
void BM_HeaviestFirstKey(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t) { w.switchOn(); }, [&](size_t) { w.type(QStringLiteral("1")); });
}

// The fourth initial typed after three: only the three's matches are searched.
void BM_NarrowingKey(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t i) { w.type(kWords[i % kWords.size()].left(3)); },
        [&](size_t i) { w.type(kWords[i % kWords.size()]); });
}

// Four initials pasted into the empty box: every entry is searched.
void BM_PastedKey(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t) { w.type(QString()); },
        [&](size_t i) { w.type(kWords[i % kWords.size()]); });
}

// The last character erased: the list grows back.
void BM_Backspace(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t i) { w.type(kWords[i % kWords.size()].left(2)); },
        [&](size_t i) { w.type(kWords[i % kWords.size()].left(1)); });
}

// The idle clearing: the whole directory comes back.
void BM_Restore(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w, [&](size_t i) { w.type(kWords[i % kWords.size()]); }, [&](size_t) { w.type(QString()); });
}

// The first key after the directory was replaced (a load or a download,
// which pay for the search text, untimed here).
void BM_FirstKeyAfterNewDirectory(benchmark::State &state)
{
    Window &w = window(int(state.range(0)));
    measure(
        state, w,
        [&](size_t) {
            w.type(QString());
            w.tv.setEntries(makeDirectory(int(state.range(0))));
        },
        [&](size_t i) { w.type(kFirstKeys[i % kFirstKeys.size()]); });
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_FirstKey)->Apply(sizes);
BENCHMARK(BM_HeaviestFirstKey)->Apply(sizes)->Iterations(30);
BENCHMARK(BM_NarrowingKey)->Apply(sizes);
BENCHMARK(BM_PastedKey)->Apply(sizes);
BENCHMARK(BM_Backspace)->Apply(sizes);
BENCHMARK(BM_Restore)->Apply(sizes);
BENCHMARK(BM_FirstKeyAfterNewDirectory)->Apply(sizes)->Iterations(36);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windows().clear();
    return 0;
}

// Reading one page back from a screen's page file and decoding it, as selecting a page in the
// page list and showing it in the preview do. The largest screen: 4096 x 512 dual colour.
#include "base/app_dir.h"
#include "config/screen_info.h"
#include "pages/page_store.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 4096;
constexpr int kHeight = 512;

pelvoro::ScreenTable MakeTable()
{
    pelvoro::ScreenTable table;
    pelvoro::ScreenInfo &s = table[0];
    s = pelvoro::DefaultScreenInfo();
    s.CardType = pelvoro::kCardNormal;
    s.ColorMode = 1;
    s.Width = kWidth;
    s.Height = s.MainHeight = kHeight;
    s.Areas[0] = QStringLiteral("主区");
    return table;
}

QImage RandomImage()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < kHeight; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

// A page file with one page in a fresh application directory.
struct OnePageStore {
    QTemporaryDir dir;
    pelvoro::ScreenTable table = MakeTable();

    bool Prepare()
    {
        if (!dir.isValid())
            return false;
        pelvoro::SetAppDir(dir.path());
        pelvoro::PageAppender appender(table, 0);
        appender.Append(RandomImage(), pelvoro::PageEntry{3, 0, 20, 5});
        return appender.Finish().Ok();
    }
};

void BM_ReadPage(benchmark::State &state)
{
    OnePageStore store;
    if (!store.Prepare()) {
        state.SkipWithError("cannot write the page file");
        return;
    }
    for (auto _ : state) {
        pelvoro::PageRead read = pelvoro::ReadPage(store.table, 0, 1);
        if (!read.Ok()) {
            state.SkipWithError("ReadPage failed");
            break;
        }
        benchmark::DoNotOptimize(read.image.constBits());
    }
}
BENCHMARK(BM_ReadPage)->Unit(benchmark::kMillisecond);

// The preview's path: the decoded image is kept and reused.
void BM_ReadPageReusingImage(benchmark::State &state)
{
    OnePageStore store;
    if (!store.Prepare()) {
        state.SkipWithError("cannot write the page file");
        return;
    }
    pelvoro::PageEntry entry;
    QImage image;
    for (auto _ : state) {
        if (!pelvoro::ReadPage(store.table, 0, 1, &entry, &image).Ok()) {
            state.SkipWithError("ReadPage failed");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReadPageReusingImage)->Unit(benchmark::kMillisecond);

} // namespace

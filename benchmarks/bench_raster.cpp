// Packing and decoding a full-size dual-colour raster: pages are packed once per conversion, but the
// effect preview decodes a page on every tick.
#include "pages/raster.h"

#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 4096;
constexpr int kHeight = 512;
constexpr pelvoro::RasterFormat kDual{1, 0};

QImage TestImage()
{
    // Random colours, so that every plane bit varies.
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < kHeight; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

void SetRate(benchmark::State &state)
{
    state.counters["Mpixels"] = benchmark::Counter(double(state.iterations()) * kWidth * kHeight / 1e6,
                                                   benchmark::Counter::kIsRate);
}

void BM_PackRasterDual(benchmark::State &state)
{
    const QImage image = TestImage();
    QByteArray raster(pelvoro::RasterBytes(kWidth, kHeight, kDual), Qt::Uninitialized);
    for (auto _ : state) {
        pelvoro::PackRaster(image, kWidth, kHeight, kDual, std::span<char>(raster.data(), size_t(raster.size())));
        benchmark::DoNotOptimize(raster.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}
BENCHMARK(BM_PackRasterDual)->Unit(benchmark::kMillisecond);

// The convenience form, allocating its result each time.
void BM_PackRasterDualToByteArray(benchmark::State &state)
{
    const QImage image = TestImage();
    for (auto _ : state) {
        QByteArray raster = pelvoro::PackRaster(image, kDual);
        benchmark::DoNotOptimize(raster.data());
    }
    SetRate(state);
}
BENCHMARK(BM_PackRasterDualToByteArray)->Unit(benchmark::kMillisecond);

// The preview's path: decode into an image that is kept between ticks.
void BM_UnpackRasterDual(benchmark::State &state)
{
    const QByteArray raster = pelvoro::PackRaster(TestImage(), kDual);
    QImage image;
    for (auto _ : state) {
        pelvoro::UnpackRaster(raster, kWidth, kHeight, kDual, &image);
        benchmark::DoNotOptimize(image.constBits());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}
BENCHMARK(BM_UnpackRasterDual)->Unit(benchmark::kMillisecond);

// Decoding into a new image every time.
void BM_UnpackRasterDualNewImage(benchmark::State &state)
{
    const QByteArray raster = pelvoro::PackRaster(TestImage(), kDual);
    for (auto _ : state) {
        QImage image = pelvoro::UnpackRaster(raster, kWidth, kHeight, kDual);
        benchmark::DoNotOptimize(image.constBits());
    }
    SetRate(state);
}
BENCHMARK(BM_UnpackRasterDualNewImage)->Unit(benchmark::kMillisecond);

} // namespace

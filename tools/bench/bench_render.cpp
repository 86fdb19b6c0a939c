// The renderer's per-frame costs at 1024 × 768: the frame checksum, encoding
// one PNG frame, and writing frames through the worker threads as the
// renderer does (time per frame written).

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "testmedia/TempFolder.h"

namespace {

using namespace tav;

constexpr int W = 1024, H = 768;

// Rings over a gradient: smooth like a photo, nowhere flat.
Bitmap Frame(int shift) {
    Bitmap b(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double ring = 0.5 + 0.5 * std::cos(std::hypot(x - W / 2.0 + shift, y - H / 2.0) * 0.12);
            b.setPixel(
                x, y,
                (static_cast<int>(20 + 60 * ring) << 16) | (static_cast<int>(80 + 120 * ring) << 8) | (x * 255 / W));
        }
    return b;
}

void BM_FrameCrc32(benchmark::State& state) {
    const Bitmap frame = Frame(0);
    for (auto _ : state) benchmark::DoNotOptimize(FrameCrc32(frame));
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_FrameCrc32)->Unit(benchmark::kMillisecond);

void BM_EncodePng(benchmark::State& state) {
    const Bitmap frame = Frame(0);
    for (auto _ : state) benchmark::DoNotOptimize(EncodePng(frame));
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);

// Wall time per frame (1000 / items_per_second ms): the writer's threads work while the caller hands in
// the next frames, as the renderer's drawing does.
void BM_WriteFrames(benchmark::State& state) {
    const test::TempFolder dir;
    const Bitmap frames[2] = {Frame(0), Frame(7)};
    constexpr int kFrames = 24;
    for (auto _ : state) {
        FrameWriter writer(dir.Path());
        for (int i = 0; i < kFrames; ++i) writer.Add(frames[i % 2]);
        if (!writer.Finish()) state.SkipWithError("cannot write frames");
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_WriteFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

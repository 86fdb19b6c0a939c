// Effects at 1920 x 1080 through the headless host, as the renderer runs them:
// the time per frame of the effects that redraw much of the area every frame,
// and of the pixel line sweeps. For scale, the same number of pixels as a
// sweep copied one 1 x 1 BitBlt at a time, one whole-area BitBlt, and the
// memory traffic alone of a frame made of both pictures.

#include <benchmark/benchmark.h>

#include "effects/Dispatch.h"
#include "effects/RecordingHost.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

tav::Bitmap Card(int width, int height, tav::Pixel base) {
    tav::Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.setPixel(x, y, base | static_cast<tav::Pixel>((x * 7 + y * 3) & 0x7F));
    return b;
}

struct Scene {
    tav::SlideSurfaces surfaces;
    tav::RecordingHost host{surfaces};
    tav::Bitmap outgoing = Card(kWidth, kHeight, 0x000000);
    tav::Bitmap incoming = Card(kWidth, kHeight, 0x808080);
    Scene() { tav::PrepareTransition(host, kWidth, kHeight, tav::Colorref{0}, 2, outgoing, incoming); }
    // Puts the outgoing picture back on the display for the next transition.
    void Rewind() {
        tav::BitBlt(host.Display(), 0, 0, kWidth, kHeight, host.Outgoing(), 0, 0, tav::SRCCOPY);
        host.EffectDone = false;
        host.EffectFrame = 0;
        host.EffectFirstPass = true;
        host.resetCounters();
    }
};

void BM_Effect(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Rewind();
        scene.host.EffectNumber = static_cast<std::int16_t>(state.range(0));
        state.ResumeTiming();
        tav::RunTransition(scene.host);
        benchmark::DoNotOptimize(scene.host.Display().bitmap().pixels().data());
    }
    state.counters["frames"] = scene.host.frames;
    state.counters["per_frame"] = benchmark::Counter(
        scene.host.frames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// Strip squeezes and slides without sleeps, strip squeezes, interlaced strips
// and lines, the pixel line sweeps, then the scattering tiles.
BENCHMARK(BM_Effect)
    ->DenseRange(1, 20)
    ->DenseRange(86, 95)
    ->DenseRange(100, 111)
    ->DenseRange(114, 123)
    ->DenseRange(124, 131)
    ->Unit(benchmark::kMillisecond);

void BM_OnePixelBitBltsOverTheArea(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        for (int x = 0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                tav::BitBlt(scene.host.Display(), x, y, 1, 1, scene.host.Incoming(), x, y, tav::SRCCOPY);
        benchmark::DoNotOptimize(scene.host.Display().bitmap().pixels().data());
    }
}
BENCHMARK(BM_OnePixelBitBltsOverTheArea)->Unit(benchmark::kMillisecond);

void BM_WholeAreaBitBlt(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        tav::BitBlt(scene.host.Display(), 0, 0, kWidth, kHeight, scene.host.Incoming(), 0, 0, tav::SRCCOPY);
        benchmark::DoNotOptimize(scene.host.Display().bitmap().pixels().data());
    }
}
BENCHMARK(BM_WholeAreaBitBlt)->Unit(benchmark::kMillisecond);

// A squeeze of the whole area reads (nearly) every line of both pictures and
// writes every line of the display, each frame: with no drawing work at all,
// this is the least a frame of it can take on this machine's memory.
void BM_BothPicturesReadAreaWritten(benchmark::State& state) {
    Scene scene;
    const tav::Pixel* a = scene.host.Outgoing().bitmap().pixels().data();
    const tav::Pixel* b = scene.host.Incoming().bitmap().pixels().data();
    tav::Pixel* d = scene.host.Display().target().pixels().data();
    const std::size_t n = static_cast<std::size_t>(kWidth) * kHeight;
    for (auto _ : state) {
        for (std::size_t i = 0; i < n; ++i) d[i] = a[i] | b[i];
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BothPicturesReadAreaWritten)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

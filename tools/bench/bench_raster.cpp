// Full-frame copies at 1920 × 1080 against memcpy of the same bytes, the
// stretch of a 1024 × 768 picture to the same frame, and the squeezes the
// strip effects draw every frame: a whole frame narrowed by `range` pixels
// (each row read column by column) or made shorter (each row one copy).

#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/Raster.h"

namespace {

using namespace tav;

constexpr int W = 1920, H = 1080;

DC Filled(int w, int h, Pixel seed) {
    auto b = std::make_shared<Bitmap>(w, h);
    for (auto& p : b->pixels()) p = (seed = seed * 1664525u + 1013904223u) & 0x00FFFFFF;
    return DC(b);
}

void BM_Memcpy(benchmark::State& state) {
    DC src = Filled(W, H, 1), dst = Filled(W, H, 2);
    for (auto _ : state) {
        std::memcpy(dst.bitmap().pixels().data(), src.bitmap().pixels().data(), std::size_t(W) * H * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_Memcpy);

void BM_BitBlt(benchmark::State& state) {
    const Rop rop = static_cast<Rop>(state.range(0));
    DC src = Filled(W, H, 1), dst = Filled(W, H, 2);
    for (auto _ : state) {
        BitBlt(dst, 0, 0, W, H, src, 0, 0, rop);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_BitBlt)
    ->Arg(static_cast<long>(Rop::SrcCopy))
    ->Arg(static_cast<long>(Rop::SrcPaint))
    ->Arg(static_cast<long>(Rop::SrcAnd))
    ->Arg(static_cast<long>(Rop::NotSrcCopy))
    ->Arg(static_cast<long>(Rop::DstInvert));

void BM_StretchBlt1024To1080p(benchmark::State& state) {
    DC src = Filled(1024, 768, 3), dst = Filled(W, H, 2);
    for (auto _ : state) {
        StretchBlt(dst, 0, 0, W, H, src, 0, 0, 1024, 768, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_StretchBlt1024To1080p)->Unit(benchmark::kMillisecond);

void BM_SqueezeColumns(benchmark::State& state) {
    const int less = static_cast<int>(state.range(0));
    DC src = Filled(W, H, 3), dst = Filled(W, H, 2);
    for (auto _ : state) {
        StretchBlt(dst, 0, 0, W - less, H, src, 0, 0, W, H, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (W - less) * H * 4);
}
BENCHMARK(BM_SqueezeColumns)->Arg(2)->Arg(300)->Arg(960)->Arg(1700)->Unit(benchmark::kMillisecond);

void BM_SqueezeRows(benchmark::State& state) {
    DC src = Filled(W, H, 3), dst = Filled(W, H, 2);
    for (auto _ : state) {
        StretchBlt(dst, 0, 0, W, H - 300, src, 0, 0, W, H, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * W * (H - 300) * 4);
}
BENCHMARK(BM_SqueezeRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The renderer's per-frame costs at 1024 × 768: the frame checksum, encoding
// one PNG frame, and writing frames through the worker threads as the
// renderer does (time per frame written). Then the renderer's videos, run as a
// user runs them: a 1080p H.264 slide show of 30 photos, and the gallery of
// all 143 effects, with the wall time against the video's own length, the
// drawing against the encoding, and the peak memory of the process.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "startup/SharedState.h"
#include "storage/Settings.h"
#include "testmedia/PictureWriters.h"
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

// One 1080p frame from the display's pixels to the 4:2:0 YUV of H.264 and
// VP9, as the encoding thread converts every new frame.
void BM_ConvertToYuv1080p(benchmark::State& state) {
    constexpr int w = 1920, h = 1080;
    Bitmap frame(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) frame.setPixel(x, y, static_cast<Pixel>((x * 7) ^ (y * 13)) & 0xFFFFFFu);
    SwsContext* scaler = sws_getContext(w, h, AV_PIX_FMT_BGR0, w, h, AV_PIX_FMT_YUV420P,
                                        static_cast<int>(state.range(0)), nullptr, nullptr, nullptr);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    AVFrame* out = av_frame_alloc();
    out->format = AV_PIX_FMT_YUV420P;
    out->width = w;
    out->height = h;
    av_frame_get_buffer(out, 0);
    const std::uint8_t* src[1] = {reinterpret_cast<const std::uint8_t*>(frame.pixels().data())};
    const int stride[1] = {w * 4};
    for (auto _ : state) sws_scale(scaler, src, stride, 0, h, out->data, out->linesize);
    av_frame_free(&out);
    sws_freeContext(scaler);
}
BENCHMARK(BM_ConvertToYuv1080p)
    ->Arg(SWS_BILINEAR)
    ->Arg(SWS_FAST_BILINEAR)
    ->Arg(SWS_POINT)
    ->Unit(benchmark::kMillisecond);

// A run of the renderer program beside this benchmark: its standard output,
// wall time and peak resident memory.
struct ToolRun {
    bool ok = false;
    std::string out;
    double wallSeconds = 0;
    double peakMegabytes = 0;
};

ToolRun RunRenderer(std::vector<std::string> args, const std::string& dataHome) {
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tavrelle-render";
    const test::TempFolder scratch;
    const std::string outPath = scratch.File("stdout");
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"XDG_DATA_HOME=" + dataHome, "QT_QPA_PLATFORM=offscreen"};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    ToolRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) return run;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream f(outPath);
    run.out.assign(std::istreambuf_iterator<char>(f), {});
    return run;
}

// A photo-like 1920 × 1080 picture: smooth gradients, rings and fine grain.
QImage Photo(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    unsigned noise = 12345u + seed;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 15) - 8;
            const double ring = 0.5 + 0.5 * std::cos(std::hypot(x - 300.0 * (seed % 5), y - 200.0 * (seed % 4)) * 0.01);
            const int r = std::clamp(static_cast<int>(40 + 150 * ring + (seed * 37) % 60) + grain, 0, 255);
            const int g = std::clamp(static_cast<int>(30 + 120.0 * y / image.height()) + grain, 0, 255);
            const int b = std::clamp(static_cast<int>(60 + 100.0 * x / image.width()) + grain, 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

// Group 0 with 30 photos, an interval of 1 s and speed 2, as 1080p H.264.
// video_s is the video's length; wall/video must stay at or below 0.5, and
// draw/encode below 1 (the drawing thread's CPU against the rest of the
// process: the encoder's thread and the codec's own).
void BM_GroupVideo1080p(benchmark::State& state) {
    const test::TempFolder home;
    std::vector<std::string> pictures;
    for (int i = 0; i < 30; ++i) {
        pictures.push_back(home.File("photo" + std::to_string(i) + ".jpg"));
        pw::SaveBytes(pictures.back(), pw::WriteJpeg(Photo(i), 85));
    }
    std::filesystem::create_directory(home.File("Tavrelle"));
    SetDataFolderOverride(home.File("Tavrelle"));
    DataFolder = home.File("Tavrelle");
    SaverSettings = SaverSettingsData{};
    SaverSettings.Groups[0].IntervalSeconds = 1;
    SaverSettings.Groups[0].EffectSpeed = 2;
    SaverSettings.Groups[0].AreaSize = 3;
    if (!SaveAllSettings(pictures)) state.SkipWithError("cannot write the data folder");
    const std::string video = home.File("group.mp4");
    for (auto _ : state) {
        const ToolRun run = RunRenderer(
            {"--group", "0", "--size", "1920x1080", "--slides", "30", "--video", video, "--stats"}, home.Path());
        if (!run.ok) {
            state.SkipWithError("the renderer failed");
            break;
        }
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
        const double videoSeconds = o["video_seconds"].toDouble();
        const double draw = o["draw_cpu_seconds"].toDouble();
        const double encode = o["process_cpu_seconds"].toDouble() - draw;
        state.counters["video_s"] = videoSeconds;
        state.counters["wall_s"] = run.wallSeconds;
        state.counters["wall/video"] = run.wallSeconds / videoSeconds;
        state.counters["draw_cpu_s"] = draw;
        state.counters["encode_cpu_s"] = encode;
        state.counters["draw/encode"] = draw / encode;
        state.counters["peak_MB"] = run.peakMegabytes;
        state.counters["MB_file"] = static_cast<double>(std::filesystem::file_size(video)) / 1e6;
    }
    SetDataFolderOverride(std::nullopt);
}
BENCHMARK(BM_GroupVideo1080p)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The gallery of all 143 effects at its own size, 160 × 120: at most 60 s.
void BM_Gallery(benchmark::State& state) {
    const test::TempFolder home;
    for (auto _ : state) {
        const ToolRun run = RunRenderer({"--gallery", home.File("gallery")}, home.Path());
        if (!run.ok) {
            state.SkipWithError("the renderer failed");
            break;
        }
        state.counters["wall_s"] = run.wallSeconds;
        state.counters["peak_MB"] = run.peakMegabytes;
    }
}
BENCHMARK(BM_Gallery)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// tavrelle-render: runs transitions with the show's own effect code, headless:
// to look at one (--frames), check it (--stats), keep it as a video (--video),
// make a video of a whole picture group (--group) or a gallery of every effect
// (--gallery).

#include <QDir>
#include <QGuiApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "platform/LargeBlocks.h"
#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "render/Gallery.h"
#include "render/GroupVideo.h"
#include "render/OutputFile.h"
#include "render/Progress.h"
#include "render/RenderOptions.h"
#include "render/TestCards.h"
#include "render/TimedHost.h"
#include "render/VideoOutput.h"
#include "surfaces/Composition.h"

namespace tav {
namespace {

// Thrown from a frame when the video can no longer be written, to leave the
// transition at once.
struct EncodingFailed {};

int Failure(const std::string& message) {
    std::fprintf(stderr, "tavrelle-render: %s\n", message.c_str());
    return 1;
}

int List() {
    for (const EffectEntry& e : EffectTable()) {
        std::printf("%3d %s", e.number, RoutineName(e));
        const std::vector<int> values = ArgumentValues(e);
        for (std::size_t i = 0; i < values.size(); ++i) std::printf("%s%d", i ? ", " : " ", values[i]);
        std::printf("\n");
    }
    return 0;
}

void PrintStats(const RenderOptions& o, const EffectEntry& entry, TimedHost& host, const Bitmap& incoming,
                const std::vector<std::uint32_t>& crcs) {
    std::printf("{\"effect\": %d, \"routine\": \"%s\", \"args\": [", o.effect, RoutineName(entry));
    const std::vector<int> values = ArgumentValues(entry);
    for (std::size_t i = 0; i < values.size(); ++i) std::printf("%s%d", i ? ", " : "", values[i]);
    std::printf(
        "], \"width\": %d, \"height\": %d, \"speed\": %d, \"frames\": %d, \"sleep_ms\": %lld, "
        "\"final_equals_incoming\": %s, ",
        o.width, o.height, o.speed, host.frames, host.sleepMs, host.Display().bitmap() == incoming ? "true" : "false");
    if (o.timing) {
        std::printf("\"lead_sleep_ms\": %lld, \"frame_sleep_ms\": [", host.leadSleepMs);
        for (std::size_t i = 0; i < host.frameSleepMs.size(); ++i)
            std::printf("%s%lld", i ? ", " : "", host.frameSleepMs[i]);
        std::printf("], ");
    }
    std::printf("\"frame_crc32\": [");
    for (std::size_t i = 0; i < crcs.size(); ++i) std::printf("%s%u", i ? ", " : "", crcs[i]);
    std::printf("]}\n");
}

int RenderTransition(const RenderOptions& o) {
    const EffectEntry* entry = FindEffect(o.effect);
    std::string error;
    std::optional<VideoOutput> video;
    if (!o.video.empty()) {
        const std::optional<Container> container = ContainerOf(o.video, error);
        if (!container) return Failure(error);
        video.emplace();
        if (!video->Open({*container, "", o.video, o.width, o.height, o.fps, o.codec, ""}, error))
            return Failure(error);
    }
    if (!o.framesDir.empty() && !QDir().mkpath(QString::fromStdString(o.framesDir))) {
        std::fprintf(stderr, "tavrelle-render: cannot create %s\n", o.framesDir.c_str());
        return 2;
    }
    const Bitmap outgoing = PictureOrCard(o.from, o.width, o.height, o.backColor, true);
    const Bitmap incoming = PictureOrCard(o.to, o.width, o.height, o.backColor, false);

    std::optional<VideoClock> clock;
    if (video) clock.emplace(o.fps, *video);
    SlideSurfaces surfaces;
    TimedHost host(surfaces, clock ? &*clock : nullptr);
    PrepareTransition(host, o.width, o.height, o.backColor, o.speed, outgoing, incoming);
    if (video) {
        video->Pictures(outgoing, incoming);
        clock->Start(host.Display().bitmap());
    }
    std::vector<std::uint32_t> crcs;
    std::optional<FrameWriter> writer;
    if (!o.framesDir.empty()) writer.emplace(o.framesDir);
    host.onFrame = [&](int, const Bitmap& frame) {
        if (o.stats) crcs.push_back(FrameCrc32(frame));
        if (writer) writer->Add(frame);
    };
    // A transition's frame count is known only at its end, so the line
    // counts frames without guessing the time left.
    Progress progress("frame", 0);
    host.afterFrame = [&] {
        if (video && video->Failed()) throw EncodingFailed{};
        if (video) progress.Update(host.frames);
    };
    host.EffectNumber = static_cast<std::int16_t>(o.effect);
    if (o.seed) SeedRandom(*o.seed);
    try {
        RunTransition(host);
    } catch (const EncodingFailed&) {
    }
    progress.Done();
    if (writer && !writer->Finish()) {
        std::fprintf(stderr, "tavrelle-render: cannot write frames to %s\n", o.framesDir.c_str());
        return 2;
    }
    if (video) {
        clock->Finish();
        if (!video->Finish(error)) return Failure(error);
    }
    if (o.stats) PrintStats(o, *entry, host, incoming, crcs);
    return 0;
}

}  // namespace
}  // namespace tav

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = tav::ParseRenderOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "tavrelle-render: %s\n%s", error.c_str(), tav::kRenderUsage);
        return 2;
    }
    if (options->mode == tav::RenderMode::List) return tav::List();
    tav::InstallOutputCleanup();
    // Every frame is made on the drawing thread and freed on the encoding thread.
    tav::MapLargeBlocks();
    // Failures are told in one line of our own; the libraries' notes would bury it.
    av_log_set_level(AV_LOG_QUIET);
    // Pictures and metafile text are decoded without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    switch (options->mode) {
    case tav::RenderMode::Transition: return tav::RenderTransition(*options);
    case tav::RenderMode::Group: return tav::RenderGroup(*options);
    case tav::RenderMode::Gallery: return tav::RenderGallery(*options);
    case tav::RenderMode::List: break;
    }
    return 0;
}

// tavrelle-render: runs one transition with the show's own effect code, headless,
// to look at it (--frames) or to check it (--stats).

#include <QDir>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "effects/RecordingHost.h"
#include "render/Crc32.h"
#include "render/FrameWriter.h"
#include "render/RenderOptions.h"
#include "surfaces/Composition.h"

namespace tav {
namespace {

// Two built-in pictures that tell apart at a glance: a warm sunset of bands
// and a cool field of rings.
Bitmap SunsetCard(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / std::max(1, h - 1);
        for (int x = 0; x < w; ++x) {
            const double band = 0.5 + 0.5 * std::sin((x + 2.0 * y) * 0.05);
            const int r = static_cast<int>(255 * (1.0 - 0.3 * t));
            const int g = static_cast<int>(90 + 100 * t * band);
            const int bl = static_cast<int>(40 + 120 * t);
            b.setPixel(x, y, (r << 16) | (g << 8) | bl);
        }
    }
    return b;
}

Bitmap RingsCard(int w, int h) {
    Bitmap b(w, h);
    const double cx = w / 2.0, cy = h / 2.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            const double ring = 0.5 + 0.5 * std::cos(d * 0.12);
            const int r = static_cast<int>(20 + 60 * ring);
            const int g = static_cast<int>(80 + 120 * ring);
            const int bl = static_cast<int>(150 + 100 * (1 - ring));
            b.setPixel(x, y, (r << 16) | (g << 8) | std::min(255, bl));
        }
    return b;
}

Bitmap Compose(const std::string& path, const RenderOptions& o, bool outgoing) {
    if (path.empty()) return outgoing ? SunsetCard(o.width, o.height) : RingsCard(o.width, o.height);
    SlideSurfaces s;
    ComposeSlide(s, path, {o.width, o.height, 1, o.backColor});
    return s.Incoming().bitmap();
}

int List() {
    for (const EffectEntry& e : EffectTable()) {
        std::printf("%3d %s", e.number, RoutineName(e.routine));
        for (int i = 0; i < e.argc; ++i) std::printf("%s%d", i ? ", " : " ", e.args[i]);
        std::printf("\n");
    }
    return 0;
}

int Render(const RenderOptions& o) {
    const EffectEntry* entry = FindEffect(o.effect);
    if (!o.framesDir.empty() && !QDir().mkpath(QString::fromStdString(o.framesDir))) {
        std::fprintf(stderr, "tavrelle-render: cannot create %s\n", o.framesDir.c_str());
        return 2;
    }
    const Bitmap outgoing = Compose(o.from, o, true);
    const Bitmap incoming = Compose(o.to, o, false);

    SlideSurfaces surfaces;
    RecordingHost host(surfaces);
    PrepareTransition(host, o.width, o.height, o.backColor, o.speed, outgoing, incoming);
    std::vector<std::uint32_t> crcs;
    std::optional<FrameWriter> writer;
    if (!o.framesDir.empty()) writer.emplace(o.framesDir);
    host.onFrame = [&](int, const Bitmap& frame) {
        if (o.stats) crcs.push_back(FrameCrc32(frame));
        if (writer) writer->Add(frame);
    };
    host.EffectNumber = static_cast<std::int16_t>(o.effect);
    if (o.seed) SeedRandom(*o.seed);
    RunTransition(host);
    if (writer && !writer->Finish()) {
        std::fprintf(stderr, "tavrelle-render: cannot write frames to %s\n", o.framesDir.c_str());
        return 2;
    }

    if (o.stats) {
        std::printf("{\"effect\": %d, \"routine\": \"%s\", \"args\": [", o.effect, RoutineName(entry->routine));
        for (int i = 0; i < entry->argc; ++i) std::printf("%s%d", i ? ", " : "", entry->args[i]);
        std::printf(
            "], \"width\": %d, \"height\": %d, \"speed\": %d, \"frames\": %d, \"sleep_ms\": %lld, "
            "\"final_equals_incoming\": %s, \"frame_crc32\": [",
            o.width, o.height, o.speed, host.frames, host.sleepMs,
            host.Display().bitmap() == incoming ? "true" : "false");
        for (std::size_t i = 0; i < crcs.size(); ++i) std::printf("%s%u", i ? ", " : "", crcs[i]);
        std::printf("]}\n");
    }
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
    if (options->list) return tav::List();
    // Pictures and metafile text are decoded without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return tav::Render(*options);
}

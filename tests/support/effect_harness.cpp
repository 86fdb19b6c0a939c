#include "support/effect_harness.h"

#include <cstdio>

#include "effects/Dispatch.h"

namespace tav::test {

namespace {
Bitmap Card(int width, int height, Pixel base) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel r = (x * 7 + y) & 0x7F, g = (y * 5 + x * 3) & 0x7F, bl = (x + y * 11) & 0x7F;
            b.setPixel(x, y, base | (r << 16) | (g << 8) | bl);
        }
    return b;
}
}  // namespace

Bitmap OutgoingCard(int width, int height) { return Card(width, height, 0x000000); }
Bitmap IncomingCard(int width, int height) { return Card(width, height, 0x808080); }

Stage::Stage(int width, int height, const TransitionOptions& options)
    : outgoing(OutgoingCard(width, height)), incoming(IncomingCard(width, height)) {
    PrepareTransition(host, width, height, options.backColor, options.speed, outgoing, incoming);
    host.EffectOrder = static_cast<std::int16_t>(options.effectOrder);
    host.keepFrames = options.keepFrames;
    SeedRandom(options.seed);
}

void Stage::run(int number) {
    host.EffectNumber = static_cast<std::int16_t>(number);
    RunTransition(host);
}

std::map<int, Bitmap> Stage::runKeeping(int number, const std::set<int>& wanted) {
    std::map<int, Bitmap> kept;
    host.onFrame = [&](int frame, const Bitmap& display) {
        if (wanted.count(frame)) kept[frame] = display;
    };
    run(number);
    host.onFrame = nullptr;
    return kept;
}

std::string Where(int effect, const Area& a, int speed) {
    return "effect " + std::to_string(effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) + " speed " +
           std::to_string(speed);
}

Grabbed Grab(int effect, int width, int height, int speed, const std::set<int>& wanted) {
    Grabbed g{std::make_unique<Stage>(width, height, TransitionOptions{.speed = speed}), {}};
    g.frames = g.stage->runKeeping(effect, wanted);
    return g;
}

TransitionRun RunEffect(int number, int width, int height, const TransitionOptions& options) {
    Stage stage(width, height, options);
    stage.run(number);
    TransitionRun r;
    r.frames = stage.host.frames;
    r.sleepMs = stage.host.sleepMs;
    r.sleepCalls = stage.host.sleepCalls;
    r.finalEqualsIncoming = stage.host.Display().bitmap() == stage.incoming;
    r.frameCopies = std::move(stage.host.frameCopies);
    return r;
}

::testing::AssertionResult SameBitmap(const Bitmap& actual, const Bitmap& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                             << expected.width() << "x" << expected.height();
    long long differ = 0;
    int fx = -1, fy = -1;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y)) {
                if (differ++ == 0) fx = x, fy = y;
            }
    if (differ == 0) return ::testing::AssertionSuccess();
    char buf[160];
    std::snprintf(buf, sizeof buf, "%lld pixels differ; first at (%d, %d): 0x%06X, expected 0x%06X", differ, fx, fy,
                  actual.pixel(fx, fy), expected.pixel(fx, fy));
    return ::testing::AssertionFailure() << buf;
}

::testing::AssertionResult Shows(const Bitmap& frame, int x0, int y0, int x1, int y1, const Bitmap& picture, int dx,
                                 int dy) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (frame.pixel(x, y) != picture.pixel(x + dx, y + dy)) {
                char buf[160];
                std::snprintf(buf, sizeof buf, "at (%d, %d): 0x%06X, expected 0x%06X from (%d, %d)", x, y,
                              frame.pixel(x, y), picture.pixel(x + dx, y + dy), x + dx, y + dy);
                return ::testing::AssertionFailure() << buf;
            }
    return ::testing::AssertionSuccess();
}

char PixelSource(const Bitmap& display, int x, int y, const Bitmap& outgoing, const Bitmap& incoming,
                 Pixel background) {
    const Pixel p = display.pixel(x, y);
    if (p == incoming.pixel(x, y)) return 'I';
    if (p == outgoing.pixel(x, y)) return 'O';
    if (p == background) return 'B';
    return '?';
}

}  // namespace tav::test

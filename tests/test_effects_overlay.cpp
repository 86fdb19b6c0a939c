#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "support/effect_harness.h"

namespace tav::test {
namespace {

struct Overlay {
    int number, mode, axis;
};
constexpr Overlay kOverlays[] = {{27, 1, 1}, {28, 1, 2}, {29, 2, 1}, {30, 2, 2}};

// The phases of one run, from the overlay's travel: mode 1 stops once it has
// crossed the area, mode 2 once it has left it; the wipe crosses the area once.
struct Phases {
    int overlay;  // passes of the overlay, the last of which presents twice
    int wipe;     // wipe frames, the last of which ends on the incoming picture
    int step;
    int length;
};
Phases PhasesOf(const Overlay& e, Area a, int speed) {
    const int step = std::max(speed, 1);
    const int length = e.axis == 1 ? a.w : a.h;
    const int travel = e.mode == 1 ? length : 2 * length;
    return {travel / step + 1, length / step + 1, step, length};
}

}  // namespace

TEST(OverlayFlashWipe, EndsOnTheIncomingPictureAfterItsFrameCount) {
    for (const Overlay& e : kOverlays)
        for (Area a : kAreas)
            for (int speed : {0, 1, 2, 24}) {
                if (speed < 2 && a.w != 640) continue;  // slow speeds on the smallest area only
                Stage stage(a.w, a.h, {.speed = speed});
                stage.run(e.number);
                const Phases p = PhasesOf(e, a, speed);
                SCOPED_TRACE(Where(e.number, a, speed));
                EXPECT_TRUE(SameBitmap(stage.host.Display().bitmap(), stage.incoming));
                EXPECT_EQ(stage.host.frames, p.overlay + 1 + p.wipe + 1);
                // The pause after the overlay, then 10 ms per wipe frame.
                EXPECT_EQ(stage.host.sleepMs, 200 + 10LL * p.wipe);
                EXPECT_EQ(stage.host.sleepCalls, 1 + p.wipe);
                EXPECT_FALSE(stage.host.EffectFirstPass);
            }
}

TEST(OverlayFlashWipe, OverlayPassPauseAndWipeFrameByFrame) {
    // Every pixel of every frame on small areas: during the overlay the
    // incoming picture is ORed in from the far edge; the pause shows the
    // outgoing picture, ORed with the incoming one in mode 1; the wipe then
    // copies the incoming picture from the near edge.
    for (const Overlay& e : kOverlays)
        for (const auto& [a, speed] : {std::pair{Area{40, 30}, 3}, std::pair{Area{31, 23}, 7}}) {
            Stage stage(a.w, a.h, {.speed = speed, .keepFrames = true});
            // What each frame changed, along the axis.
            std::vector<std::pair<int, int>> changed;
            stage.host.Display().trackDirty = true;
            stage.host.onFrame = [&](int, const Bitmap&) {
                const ChangedArea area = stage.host.Display().TakeDirty();
                const ChangedArea::Box b = area.bounds();
                changed.emplace_back(e.axis == 1 ? b.x0 : b.y0, e.axis == 1 ? b.x1 : b.y1);
            };
            stage.run(e.number);
            const Phases p = PhasesOf(e, a, speed);
            const auto& frames = stage.host.frameCopies;
            // Past the first, an overlay frame changes only where the incoming
            // picture lay in the frame before and where it lies now.
            const auto band = [&](int k) {
                const int s = k * p.step;
                return std::pair{std::clamp(p.length - s, 0, p.length), std::clamp(2 * p.length - s, 0, p.length)};
            };
            for (int k = 1; k < p.overlay - 1; ++k) {
                const auto [from, to] = band(k);
                const auto [before, beforeTo] = band(k - 1);
                EXPECT_GE(changed[k].first, std::min(from, before)) << "effect " << e.number << " frame " << k + 1;
                EXPECT_LE(changed[k].second, std::max(to, beforeTo)) << "effect " << e.number << " frame " << k + 1;
            }
            ASSERT_EQ(static_cast<int>(frames.size()), p.overlay + 1 + p.wipe + 1) << e.number;
            auto pause = [&](int x, int y) {
                const Pixel out = stage.outgoing.pixel(x, y);
                return e.mode == 1 ? out | stage.incoming.pixel(x, y) : out;
            };
            for (int k = 0; k + 1 < static_cast<int>(frames.size()); ++k)
                for (int y = 0; y < a.h; ++y)
                    for (int x = 0; x < a.w; ++x) {
                        const int along = e.axis == 1 ? x : y;
                        Pixel expected;
                        if (k < p.overlay - 1) {
                            const int shifted = along - (p.length - k * p.step);
                            expected = stage.outgoing.pixel(x, y);
                            if (shifted >= 0 && shifted < p.length)
                                expected |=
                                    e.axis == 1 ? stage.incoming.pixel(shifted, y) : stage.incoming.pixel(x, shifted);
                        } else if (k <= p.overlay) {
                            expected = pause(x, y);
                        } else {
                            const int s = (k - p.overlay - 1) * p.step;
                            const bool last = k == static_cast<int>(frames.size()) - 2;
                            expected = along < s || last ? stage.incoming.pixel(x, y) : pause(x, y);
                        }
                        ASSERT_EQ(frames[k].pixel(x, y), expected)
                            << "effect " << e.number << " on " << a.w << "x" << a.h << " frame " << k + 1 << " at ("
                            << x << ", " << y << ")";
                    }
        }
}

}  // namespace tav::test

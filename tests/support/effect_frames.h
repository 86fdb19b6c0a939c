#pragma once
// Frame capture and region checks for the effect tests that compare chosen
// frames of a run against shifted parts of the two pictures.

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "support/effect_harness.h"

namespace tav::test {

// Every area at the fastest speed, the slow speeds (hundreds of full-area
// frames per run) on fewer areas.
struct Run {
    Area a;
    int speed;
};
constexpr Run kRuns[] = {{kAreas[0], 24}, {kAreas[1], 24}, {kAreas[2], 24}, {kAreas[3], 24}, {kAreas[1], 2},
                         {kAreas[2], 2},  {kAreas[3], 2},  {kAreas[0], 1},  {kAreas[0], 0}};

inline std::string Where(int effect, const Area& a, int speed) {
    return "effect " + std::to_string(effect) + " at " + std::to_string(a.w) + "x" + std::to_string(a.h) +
           " speed " + std::to_string(speed);
}

// One run with copies of the chosen frames (numbered from 1).
struct Grabbed {
    std::unique_ptr<Stage> stage;
    std::map<int, Bitmap> frames;
    const Bitmap& in() const { return stage->incoming; }
    const Bitmap& out() const { return stage->outgoing; }
    const Bitmap& at(int frame) const { return frames.at(frame); }
};

inline Grabbed Grab(int effect, int w, int h, int speed, const std::set<int>& wanted) {
    Grabbed g{std::make_unique<Stage>(w, h, TransitionOptions{.speed = speed}), {}};
    g.stage->host.onFrame = [&](int frame, const Bitmap& d) {
        if (wanted.count(frame)) g.frames[frame] = d;
    };
    g.stage->run(effect);
    g.stage->host.onFrame = nullptr;
    return g;
}

// frame(x, y) == picture(x + dx, y + dy) over [x0, x1) × [y0, y1).
inline ::testing::AssertionResult Shows(const Bitmap& frame, int x0, int y0, int x1, int y1, const Bitmap& picture,
                                        int dx = 0, int dy = 0) {
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

}  // namespace tav::test

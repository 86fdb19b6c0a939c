#pragma once
// Runs transitions headless for the effect tests and compares surfaces.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "effects/RecordingHost.h"

namespace tav::test {

struct Area {
    int w, h;
};
// The areas every effect is checked on: three landscape sizes, one of them
// odd, and a portrait one.
constexpr Area kAreas[] = {{640, 480}, {800, 600}, {1366, 767}, {600, 800}};

// Every area at the fastest speed, the slow speeds (hundreds of full-area
// frames per run) on fewer areas.
struct Run {
    Area a;
    int speed;
};
constexpr Run kRuns[] = {{kAreas[0], 24}, {kAreas[1], 24}, {kAreas[2], 24}, {kAreas[3], 24}, {kAreas[1], 2},
                         {kAreas[2], 2},  {kAreas[3], 2},  {kAreas[0], 1},  {kAreas[0], 0}};

// "effect 7 at 800x600 speed 2", for failure messages.
std::string Where(int effect, const Area& a, int speed);

// Two pictures that differ at every pixel, so any pixel shows where it came from:
// the outgoing card is dark (channel values < 0x80), the incoming card bright (>= 0x80).
Bitmap OutgoingCard(int width, int height);
Bitmap IncomingCard(int width, int height);

struct TransitionRun {
    int frames = 0;  // Refresh calls, the dispatcher's last one included
    long long sleepMs = 0;
    int sleepCalls = 0;
    bool finalEqualsIncoming = false;
    std::vector<Bitmap> frameCopies;  // only when keepFrames was asked for
};

struct TransitionOptions {
    int speed = 2;
    Colorref backColor{};
    unsigned seed = 1;
    bool keepFrames = false;
    int effectOrder = 0;
};

// Runs effect `number` on a width × height area from the outgoing to the incoming card.
TransitionRun RunEffect(int number, int width, int height, const TransitionOptions& options = {});

// Like RunEffect, with a caller-owned host, so a test can watch frames as they come.
struct Stage {
    SlideSurfaces surfaces;
    RecordingHost host{surfaces};
    Bitmap outgoing;
    Bitmap incoming;
    Stage(int width, int height, const TransitionOptions& options = {});
    void run(int number);
    // Runs effect `number` and returns copies of the frames asked for (numbered from 1).
    std::map<int, Bitmap> runKeeping(int number, const std::set<int>& wanted);
};

// One run with copies of the chosen frames.
struct Grabbed {
    std::unique_ptr<Stage> stage;
    std::map<int, Bitmap> frames;
    const Bitmap& in() const { return stage->incoming; }
    const Bitmap& out() const { return stage->outgoing; }
    const Bitmap& at(int frame) const { return frames.at(frame); }
};
Grabbed Grab(int effect, int width, int height, int speed, const std::set<int>& wanted);

// Equality with a readable message: the first differing pixel and how many differ.
::testing::AssertionResult SameBitmap(const Bitmap& actual, const Bitmap& expected);

// frame(x, y) == picture(x + dx, y + dy) over [x0, x1) × [y0, y1).
::testing::AssertionResult Shows(const Bitmap& frame, int x0, int y0, int x1, int y1, const Bitmap& picture, int dx = 0,
                                 int dy = 0);

// Which picture a pixel of a display shows: 'O' outgoing, 'I' incoming, 'B' the
// given background pixel, '?' anything else.
char PixelSource(const Bitmap& display, int x, int y, const Bitmap& outgoing, const Bitmap& incoming,
                 Pixel background = 0);

}  // namespace tav::test

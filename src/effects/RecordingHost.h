#pragma once
// A headless host for the tests and the renderer: it counts frames and adds up
// sleeps instead of sleeping, and can hand every frame to an observer.

#include <functional>
#include <vector>

#include "effects/EffectHost.h"

namespace tav {

class RecordingHost : public EffectHost {
public:
    using FrameObserver = std::function<void(int frame, const Bitmap& display)>;

    explicit RecordingHost(SlideSurfaces& surfaces) : EffectHost(surfaces) {}

    void Refresh() override;
    void DoEvents() override { ++doEventsCalls; }
    void Sleep(int ms) override {
        sleepMs += ms;
        ++sleepCalls;
    }

    // Called with the display after every frame (frame numbers start at 1).
    FrameObserver onFrame;
    // When set, a copy of every frame is kept in `frameCopies`.
    bool keepFrames = false;

    int frames = 0;
    long long sleepMs = 0;
    int sleepCalls = 0;
    int doEventsCalls = 0;
    std::vector<Bitmap> frameCopies;

    void resetCounters();
};

// Sets up surfaces and a host for one transition between two pictures of the
// area size: the display shows `outgoing` at the start, as in the show.
void PrepareTransition(EffectHost& host, int width, int height, Colorref backColor, int speed, const Bitmap& outgoing,
                       const Bitmap& incoming);

}  // namespace tav

#pragma once
// The recording host of the renderer: besides counting, it keeps each frame's
// sleeps and, when a video is made, hands every frame and sleep to the video
// clock.

#include <functional>
#include <vector>

#include "effects/RecordingHost.h"
#include "render/VideoClock.h"

namespace tav {

class TimedHost : public RecordingHost {
public:
    TimedHost(SlideSurfaces& surfaces, VideoClock* clock) : RecordingHost(surfaces), clock_(clock) {}

    void Refresh() override;
    void Sleep(int ms) override;
    void BeginTransition() override;

    // Sleeps before the first frame, and after each frame until the next.
    long long leadSleepMs = 0;
    std::vector<long long> frameSleepMs;
    // Called after every frame has gone to the clock; it may throw to
    // abandon the transition.
    std::function<void()> afterFrame;
    // Called as each transition begins, with the slots filled.
    std::function<void()> onTransition;

private:
    VideoClock* clock_;
};

}  // namespace tav

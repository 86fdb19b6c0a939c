#pragma once
// The timing rule of the renderer's videos: the video shows what the show's
// display would show on a machine that draws in no time.
//  - A presented frame lasts the sleeps that follow it.
//  - A frame with no sleep after it lasts one video frame, so every step of
//    an effect that never sleeps is seen.
//  - The video has a constant frame rate; video frame j shows what the
//    display shows at j / fps seconds, so a frame is repeated while it lasts
//    and left out when it lasts less than the gap between two video frames.
//  - The last frame lasts at least one video frame.
// Time is counted in steps of 1 / (1000 × fps) s: a millisecond is fps steps
// and a video frame 1000, so both are whole numbers and no rounding drifts.

#include <cstdint>

#include "platform/Raster.h"

namespace tav {

// Where the video frames go, in order: a new picture, or the one before again.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void Frame(Bitmap&& frame) = 0;
    virtual void Repeat() = 0;
    // A bitmap whose memory may be reused for the next frame, or an empty one.
    virtual Bitmap Spare() { return {}; }
};

class VideoClock {
public:
    VideoClock(int fps, FrameSink& sink) : fps_(fps), sink_(sink) {}

    // The display already shows `picture` when the clock starts: it lasts only
    // the time that passes before the first Present(), if any.
    void Start(const Bitmap& picture);
    // The display shows `frame` from now on (one Refresh of the effect host).
    void Present(const Bitmap& frame);
    // Time passes with the display unchanged: a sleep, or the wait for the
    // next slide. The video begins with the first picture shown; time before
    // it is counted but not part of the video.
    void Pass(long long ms);
    // Time passes up to `steps` since the clock was made.
    void PassTo(long long steps);
    // Ends the video.
    void Finish();

    // Now, in steps since the clock was made.
    long long NowSteps() const { return now_; }
    long long StepsPerMs() const { return fps_; }
    // Video frames handed to the sink so far.
    long long VideoFrames() const { return nextSample_; }

private:
    void AdvanceTo(long long t);

    const int fps_;
    FrameSink& sink_;
    long long now_ = 0;
    long long origin_ = 0;  // when the first picture was shown
    long long nextSample_ = 0;
    Bitmap current_;
    bool showing_ = false;    // something is on the display
    bool sent_ = false;       // current_ went to the sink; further samples repeat it
    bool timePassed_ = true;  // the current frame has lasted some time already
};

}  // namespace tav

#include "render/VideoClock.h"

#include <utility>

namespace tav {

namespace {
constexpr long long kStepsPerVideoFrame = 1000;
}

void VideoClock::AdvanceTo(long long t) {
    while (showing_ && origin_ + nextSample_ * kStepsPerVideoFrame < t) {
        if (sent_) {
            sink_.Repeat();
        } else {
            sink_.Frame(std::move(current_));
            sent_ = true;
        }
        ++nextSample_;
    }
    now_ = t;
}

void VideoClock::Start(const Bitmap& picture) {
    if (!showing_) origin_ = now_;
    current_ = picture;
    showing_ = true;
    sent_ = false;
    timePassed_ = true;
}

void VideoClock::Present(const Bitmap& frame) {
    if (showing_ && !timePassed_) AdvanceTo(now_ + kStepsPerVideoFrame);
    if (!showing_) origin_ = now_;
    // A frame handed on took its memory along; a spare one saves mapping
    // fresh pages for every frame.
    if (current_.empty()) current_ = sink_.Spare();
    current_ = frame;
    showing_ = true;
    sent_ = false;
    timePassed_ = false;
}

void VideoClock::Pass(long long ms) {
    if (ms > 0) PassTo(now_ + ms * fps_);
}

void VideoClock::PassTo(long long steps) {
    if (steps <= now_) return;
    AdvanceTo(steps);
    timePassed_ = true;
}

void VideoClock::Finish() {
    if (!showing_) return;
    if (!timePassed_) {
        AdvanceTo(now_ + kStepsPerVideoFrame);
    } else if (!sent_) {
        // The last frame lasted less than the gap between two video frames;
        // it is still seen, since it is the picture the video leaves.
        AdvanceTo(origin_ + nextSample_ * kStepsPerVideoFrame + 1);
    }
    showing_ = false;
}

}  // namespace tav

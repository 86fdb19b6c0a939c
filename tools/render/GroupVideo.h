#pragma once
// A picture group's slide show as a video: the show's own slide-show core
// runs headless, with timers that keep virtual time, on a machine that draws
// and composes in no time. Each picture is composed while the one before
// stands, as in the show; the run waits for it in real time and none passes
// in the video.

#include "render/RenderOptions.h"

namespace tav {

// Exit status: 0, or 1 after a one-line message on standard error.
int RenderGroup(const RenderOptions& options);

}  // namespace tav

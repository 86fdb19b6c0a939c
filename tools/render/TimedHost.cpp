#include "render/TimedHost.h"

namespace tav {

void TimedHost::Refresh() {
    RecordingHost::Refresh();
    frameSleepMs.push_back(0);
    if (clock_) clock_->Present(Display().bitmap());
    if (afterFrame) afterFrame();
}

void TimedHost::Sleep(int ms) {
    RecordingHost::Sleep(ms);
    (frameSleepMs.empty() ? leadSleepMs : frameSleepMs.back()) += ms;
    if (clock_) clock_->Pass(ms);
}

void TimedHost::BeginTransition() {
    if (onTransition) onTransition();
}

}  // namespace tav

#include "effects/FrameSteps.h"

namespace tav {

void ShowIncomingPicture(EffectHost& host) {
    host.EffectDone = true;
    BitBlt(host.Display(), 0, 0, host.AreaWidth, host.AreaHeight, host.Incoming(), 0, 0, SRCCOPY);
}

void EndFrame(EffectHost& host, int sleepMs) {
    host.Refresh();
    host.DoEvents();
    if (sleepMs != 0) host.Sleep(sleepMs);
}

void StepFrame(EffectHost& host, long long step, double limit, int sleepMs) {
    ++host.EffectFrame;
    // The product and the limits the effects pass are exact in a double.
    if (static_cast<double>(host.EffectFrame * step) > limit) ShowIncomingPicture(host);
    EndFrame(host, sleepMs);
}

}  // namespace tav

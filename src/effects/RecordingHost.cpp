#include "effects/RecordingHost.h"

namespace tav {

void RecordingHost::Refresh() {
    ++frames;
    // Looking at the frame changes nothing of it, also for a display that tracks its changes.
    if (keepFrames) frameCopies.push_back(Display().target());
    if (onFrame) onFrame(frames, Display().target());
}

void RecordingHost::resetCounters() {
    frames = 0;
    sleepMs = 0;
    sleepCalls = 0;
    doEventsCalls = 0;
    frameCopies.clear();
}

void PrepareTransition(EffectHost& host, int width, int height, Colorref backColor, int speed, const Bitmap& outgoing,
                       const Bitmap& incoming) {
    SlideSurfaces& s = host.surfaces();
    s.SetArea(width, height, ColorrefToPixel(backColor));
    s.CurrentSlot = 1;
    s.GetImageDC(0, s.Pic_Dumy, std::make_shared<Bitmap>(outgoing));
    s.GetImageDC(1, s.Pic_Dumy, std::make_shared<Bitmap>(incoming));
    BitBlt(s.Display, 0, 0, width, height, s.Outgoing(), 0, 0, SRCCOPY);
    host.AreaWidth = static_cast<std::int16_t>(width);
    host.AreaHeight = static_cast<std::int16_t>(height);
    host.AreaCentreX = width / 2.0;
    host.AreaCentreY = height / 2.0;
    host.BackColor = backColor;
    host.EffectSpeed = static_cast<std::int16_t>(speed);
    host.EffectFrame = 0;
    host.EffectDone = false;
    host.EffectFirstPass = true;
}

}  // namespace tav

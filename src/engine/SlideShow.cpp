#include "engine/SlideShow.h"

#include <chrono>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "music/BackgroundMusic.h"

namespace tav {

SlideShow::SlideShow(EffectHost& host, ShowTimers& timers, const CurrentValues& values,
                     const PictureListData& list)
    : host_(host), timers_(timers), values_(values), list_(list) {}

int SlideShow::SlideInterval() const {
    return values_.IntervalSeconds == 0 ? 1 : values_.IntervalSeconds * 1000;
}

int SlideShow::NextIndex() {
    if (values_.PictureOrder == 1) return pictureBag_.Draw(list_.Count());
    return NextInOrder(currentIndex_, list_.Count());
}

void SlideShow::ChooseEffect() {
    if (values_.EffectOrder == 1)
        host_.EffectNumber = static_cast<std::int16_t>(effectBag_.Draw(kEffectCount));
    else
        host_.EffectNumber = static_cast<std::int16_t>(host_.EffectNumber + 1);
}

CompositionParams SlideShow::Params() const {
    return {values_.AreaWidth, values_.AreaHeight, values_.FitMode, static_cast<Colorref>(values_.BackColor)};
}

void SlideShow::Compose() { ComposeSlide(host_.surfaces(), list_.Entry(currentIndex_), Params()); }

void SlideShow::StartNext() {
    nextIndex_ = NextIndex();
    next_ = std::async(std::launch::async, ComposePicture, list_.Entry(nextIndex_), Params());
}

void SlideShow::Prepare() {
    SlideSurfaces& s = host_.surfaces();
    const Pixel back = ColorrefToPixel(static_cast<Colorref>(values_.BackColor));
    host_.AreaWidth = static_cast<std::int16_t>(values_.AreaWidth);
    host_.AreaHeight = static_cast<std::int16_t>(values_.AreaHeight);
    host_.AreaCentreX = values_.AreaWidth / 2.0;
    host_.AreaCentreY = values_.AreaHeight / 2.0;
    host_.BackColor = static_cast<Colorref>(values_.BackColor);
    host_.EffectSpeed = values_.EffectSpeed;
    host_.EffectOrder = values_.EffectOrder;
    s.SetArea(values_.AreaWidth, values_.AreaHeight, back);
    s.Pic_D.bitmap().resize(1, 1, back);

    pictureBag_.MarkEmpty();
    effectBag_.MarkEmpty();
    currentIndex_ = 1;
    if (values_.PictureOrder == 1) currentIndex_ = pictureBag_.Draw(list_.Count());
    s.CurrentSlot = 0;
    Compose();
    currentIndex_ = NextIndex();
    s.CurrentSlot = 1;
    Compose();
    // The display starts with the first picture: it is the outgoing picture of the first transition.
    BitBlt(s.Display, 0, 0, values_.AreaWidth, values_.AreaHeight, s.Outgoing(), 0, 0, SRCCOPY);

    host_.EffectFrame = 0;
    timers_.SetSlideInterval(SlideInterval());
    host_.EffectDone = false;
    host_.EffectFirstPass = true;

    if (values_.MusicMode == 1) {
        OpenCdAudio();
        timers_.EnableCdPoll(true);
    } else if (values_.MusicMode == 2) {
        switch (MusicFileKindOf(values_.MusicFile)) {
            case MusicFileKind::Wav: PlayWavLoop(values_.MusicFile); break;
            case MusicFileKind::Mp3:
                OpenAndPlayMp3(values_.MusicFile);
                timers_.EnableMp3Restart(true);
                break;
            case MusicFileKind::Other: break;
        }
    }
    ChooseEffect();
}

void SlideShow::Transition() {
    inTransition_ = true;
    // The flag comes down however the transition ends, also when the show ends inside it.
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{inTransition_};
    const auto start = std::chrono::steady_clock::now();
    RunTransition(host_);
    lastTransitionMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void SlideShow::Begin() {
    Transition();
    StartNext();
    timers_.EnableSlideTimer(true);
}

void SlideShow::Tick() {
    if (inTransition_) return;
    host_.EffectDone = false;
    host_.EffectFirstPass = true;
    ChooseEffect();
    host_.EffectFrame = 0;
    SlideSurfaces& s = host_.surfaces();
    s.CurrentSlot ^= 1;
    currentIndex_ = nextIndex_;
    if (next_.valid())
        InstallSlide(s, next_.get());
    else
        Compose();
    Transition();
    StartNext();
}

void SlideShow::PollCd() {
    PollCdAudio();
    timers_.EnableCdPoll(CdPlaybackOk);
}

void SlideShow::RestartMp3() { RestartMp3IfStopped(); }

void SlideShow::StopMusic() {
    if (timers_.CdPollEnabled()) {
        timers_.EnableCdPoll(false);
        CloseCdAudio();
    }
    if (values_.MusicMode == 2) {
        switch (MusicFileKindOf(values_.MusicFile)) {
            case MusicFileKind::Wav: StopWav(); break;
            case MusicFileKind::Mp3: CloseMp3(); break;
            case MusicFileKind::Other: break;
        }
    }
    timers_.EnableMp3Restart(false);
}

}  // namespace tav

#include "engine/SlideShow.h"

#include <chrono>
#include <ctime>

#include "effects/Dispatch.h"
#include "effects/EffectTable.h"
#include "music/BackgroundMusic.h"

namespace tav {

SlideShow::SlideShow(EffectHost& host, ShowTimers& timers, const CurrentValues& values, const PictureListData& list,
                     ComposeFunction compose)
    : host_(host),
      timers_(timers),
      values_(values),
      list_(list),
      cd_(values.CdTrack),
      compose_(compose ? std::move(compose) : ComposeFunction(ComposePicture)) {}

int SlideShow::SlideInterval() const { return values_.IntervalSeconds == 0 ? 1 : values_.IntervalSeconds * 1000; }

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

CompositionParams SlideParams(const CurrentValues& values) {
    return {values.AreaWidth, values.AreaHeight, values.FitMode, static_cast<Colorref>(values.BackColor)};
}

CompositionParams SlideShow::Params() const { return SlideParams(values_); }

void SlideShow::StartNext() {
    nextIndex_ = NextIndex();
    next_ = PictureJob::Start(compose_, list_.Entry(nextIndex_), Params(), composedNotice_);
}

void SlideShow::ReportProgress() {
    if (progressNotice_)
        progressNotice_(ResumeState{nextIndex_, host_.EffectNumber, pictureBag_.Drawn(), effectBag_.Drawn()});
}

void SlideShow::RetryLater(bool on) {
    if (on == waiting_) return;
    waiting_ = on;
    timers_.SetSlideInterval(on ? kRetryMs : SlideInterval());
}

BitmapPtr SlideShow::TakeNext() {
    if (next_ && next_->Ready()) {
        overdue_ = false;
        return next_->Result();
    }
    const auto now = std::chrono::steady_clock::now();
    if (!overdue_) dueSince_ = now;
    overdue_ = true;
    if (next_ && now - dueSince_ < std::chrono::milliseconds(giveUpMs_)) return nullptr;
    overdue_ = false;
    next_.reset();
    return std::make_shared<Bitmap>(values_.AreaWidth, values_.AreaHeight,
                                    ColorrefToPixel(static_cast<Colorref>(values_.BackColor)));
}

void SlideShow::Prepare() {
    // The first picture is set composing before anything else: it is what
    // the start waits for, and the surfaces are made meanwhile.
    pictureBag_.MarkEmpty();
    effectBag_.MarkEmpty();
    if (resume_) {
        pictureBag_.Restore(resume_->PictureBag, list_.Count());
        effectBag_.Restore(resume_->EffectBag, kEffectCount);
        host_.EffectNumber = static_cast<std::int16_t>(resume_->EffectNumber);
        // The picture the earlier show would have shown next comes first;
        // the bags already count it as drawn.
        currentIndex_ = resume_->NextPicture;
        nextIndex_ = resume_->NextPicture;
        next_ = PictureJob::Start(compose_, list_.Entry(nextIndex_), Params(), composedNotice_);
    } else {
        // The first picture is the one before the first pick, so that
        // StartNext picks it: entry 1, or the first draw of the picture bag.
        currentIndex_ = values_.PictureOrder == 1 ? 0 : list_.Count();
        StartNext();
    }

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
    s.CurrentSlot = 1;
    firstShown_ = false;
    transitions_ = 0;
    waiting_ = false;
    overdue_ = false;

    host_.EffectFrame = 0;
    timers_.SetSlideInterval(SlideInterval());
    host_.EffectDone = false;
    host_.EffectFirstPass = true;

    if (values_.MusicMode == 1) {
        // Each start plays the track of its run and has no replies yet.
        cd_ = CdPlayer(values_.CdTrack);
        cd_.Open();
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
}

namespace {
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
}  // namespace

void SlideShow::Transition() {
    inTransition_ = true;
    // The flag comes down however the transition ends, also when the show ends inside it.
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{inTransition_};
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuMs();
    ++transitions_;
    RunTransition(host_);
    lastTransitionMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    lastTransitionCpuMs_ = ThreadCpuMs() - cpuStart;
}

void SlideShow::Begin() {
    // The first picture is due at once.
    RetryLater(true);
    timers_.EnableSlideTimer(true);
}

void SlideShow::Tick() {
    if (inTransition_) return;
    BitmapPtr picture = TakeNext();
    if (!picture) {
        RetryLater(true);
        return;
    }
    SlideSurfaces& s = host_.surfaces();
    s.CurrentSlot ^= 1;
    currentIndex_ = nextIndex_;
    InstallSlide(s, std::move(picture));
    if (!firstShown_) {
        // The first picture goes straight to the display; it is the outgoing
        // picture of the first transition, which follows as soon as the
        // second picture is composed.
        firstShown_ = true;
        BitBlt(s.Display, 0, 0, values_.AreaWidth, values_.AreaHeight, s.Incoming(), 0, 0, SRCCOPY);
        host_.Refresh();
        StartNext();
        ReportProgress();
        RetryLater(true);
        return;
    }
    host_.EffectDone = false;
    host_.EffectFirstPass = true;
    ChooseEffect();
    host_.EffectFrame = 0;
    if (transitions_ == 0) {
        // The slide timer first counts from the end of the first transition,
        // so the second picture stands a whole interval like every later one;
        // from then on it counts from tick to tick.
        timers_.EnableSlideTimer(false);
        Transition();
        RetryLater(false);
        timers_.EnableSlideTimer(true);
    } else {
        RetryLater(false);
        Transition();
    }
    // The picture left behind goes before the next one is composed.
    s.ReleaseOutgoing();
    StartNext();
    ReportProgress();
}

void SlideShow::PollCd() {
    cd_.Poll();
    timers_.EnableCdPoll(cd_.PlaybackOk());
}

void SlideShow::RestartMp3() { RestartMp3IfStopped(); }

void SlideShow::StopMusic() {
    if (timers_.CdPollEnabled()) {
        timers_.EnableCdPoll(false);
        cd_.Close();
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

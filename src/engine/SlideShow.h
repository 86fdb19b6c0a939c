#pragma once
// The slide show without its window: start-up, one slide per tick, the music
// timers and the music shutdown. The window supplies the timers and presents
// the frames through its effect host, so the same code runs headless in tests.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "effects/EffectHost.h"
#include "engine/Orders.h"
#include "music/BackgroundMusic.h"
#include "storage/ResumeState.h"
#include "storage/SettingsModel.h"
#include "surfaces/Composition.h"
#include "surfaces/PictureJobs.h"

namespace tav {

// The three timers of the saver window.
class ShowTimers {
public:
    virtual ~ShowTimers() = default;
    // Timer3. A new interval on a running timer counts afresh from now, and
    // so does enabling it.
    virtual void SetSlideInterval(int ms) = 0;
    virtual void EnableSlideTimer(bool on) = 0;
    virtual void EnableCdPoll(bool on) = 0;  // Timer2, 200 ms
    virtual bool CdPollEnabled() const = 0;
    virtual void EnableMp3Restart(bool on) = 0;  // Timer1, 1000 ms
};

// How a group's slides are composed: its area, fit and background colour.
CompositionParams SlideParams(const CurrentValues& values);

class SlideShow {
public:
    // A slide that falls due before its picture is composed waits, the
    // current picture staying on the screen, and is tried again this often.
    static constexpr int kRetryMs = 10;
    // A picture still not composed this long after its slide fell due is
    // given up: its slide shows the background colour, as an unreadable
    // picture's does, and the show goes on with the next picture. Until that
    // file's loader returns, its later slides show the background at once.
    static constexpr int kGiveUpMs = 10000;

    SlideShow(EffectHost& host, ShowTimers& timers, const CurrentValues& values, const PictureListData& list,
              ComposeFunction compose = {});

    // Start-up up to the first picture: surfaces, orders, the music, and the
    // first picture set composing. Nothing here waits for a file.
    void Prepare();
    // Starts the slide timer. Its ticks show the first picture as soon as it
    // is composed, then run the first transition as soon as the second is;
    // the slide interval is counted from the end of that transition.
    void Begin();
    // One slide, or the first picture. A tick that falls due while a
    // transition runs is dropped; one whose picture is not composed yet
    // changes nothing and comes again after kRetryMs.
    void Tick();
    void SetGiveUpMs(int ms) { giveUpMs_ = ms; }
    // Called on the composing thread each time a picture is composed, so the
    // window can tick at once when a slide is waiting for it. It may run after
    // the show is gone, and must be safe to call from any thread.
    void SetComposedNotice(std::function<void()> notice) { composedNotice_ = std::move(notice); }
    // Before Prepare: start where an earlier show stopped, with its next
    // picture, its effect and its bags, instead of at the list's start.
    void ResumeFrom(const ResumeState& state) { resume_ = state; }
    // Called once per slide, when its picture is on the screen and the next
    // one is chosen, with what a later show would resume from.
    void SetProgressNotice(std::function<void(const ResumeState&)> notice) { progressNotice_ = std::move(notice); }
    // A slide is due and its picture not composed yet.
    bool Waiting() const { return waiting_; }
    // Timer2 and Timer1.
    void PollCd();
    void RestartMp3();
    // Music off, as the show ends.
    void StopMusic();

    int CurrentIndex() const { return currentIndex_; }
    // Wall time of the latest transition, for the measuring tool.
    double LastTransitionMs() const { return lastTransitionMs_; }
    // CPU time the window's thread spent in it (drawing and presenting).
    double LastTransitionCpuMs() const { return lastTransitionCpuMs_; }
    bool InTransition() const { return inTransition_; }
    bool FirstPictureShown() const { return firstShown_; }
    int TransitionCount() const { return transitions_; }
    int SlideInterval() const;

private:
    int NextIndex();
    void ChooseEffect();
    CompositionParams Params() const;
    void Transition();
    void StartNext();
    // The composed next picture, the background when it is given up, or
    // nullptr while it is still worth waiting for.
    BitmapPtr TakeNext();
    void RetryLater(bool on);
    void ReportProgress();

    EffectHost& host_;
    ShowTimers& timers_;
    const CurrentValues& values_;
    const PictureListData& list_;
    CdPlayer cd_;
    ShuffleBag pictureBag_;
    ShuffleBag effectBag_;
    ComposeFunction compose_;
    std::function<void()> composedNotice_;
    std::optional<ResumeState> resume_;
    std::function<void(const ResumeState&)> progressNotice_;
    int currentIndex_ = 1;
    // The next slide is composed on a worker thread while the current one
    // shows, so a tick only swaps it in and input never waits on a decoder.
    int nextIndex_ = 1;
    std::shared_ptr<PictureJob> next_;
    std::chrono::steady_clock::time_point dueSince_{};
    bool waiting_ = false;  // the slide timer runs at kRetryMs
    bool overdue_ = false;  // the next slide fell due at dueSince_ and is not composed yet
    bool firstShown_ = false;
    int transitions_ = 0;
    int giveUpMs_ = kGiveUpMs;
    bool inTransition_ = false;
    double lastTransitionMs_ = 0;
    double lastTransitionCpuMs_ = 0;
};

}  // namespace tav

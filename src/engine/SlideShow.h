#pragma once
// The slide show without its window: start-up, one slide per tick, the music
// timers and the music shutdown. The window supplies the timers and presents
// the frames through its effect host, so the same code runs headless in tests.

#include <cstdint>
#include <future>

#include "effects/EffectHost.h"
#include "engine/Orders.h"
#include "startup/SharedState.h"

namespace tav {

// The three timers of the saver window.
class ShowTimers {
public:
    virtual ~ShowTimers() = default;
    virtual void SetSlideInterval(int ms) = 0;  // Timer3
    virtual void EnableSlideTimer(bool on) = 0;
    virtual void EnableCdPoll(bool on) = 0;  // Timer2, 200 ms
    virtual bool CdPollEnabled() const = 0;
    virtual void EnableMp3Restart(bool on) = 0;  // Timer1, 1000 ms
};

class SlideShow {
public:
    SlideShow(EffectHost& host, ShowTimers& timers, const CurrentValues& values, const PictureListData& list);

    // Start-up up to the first transition: surfaces, orders, the first two
    // pictures, the slide interval, the music and the first effect number.
    void Prepare();
    // The first transition, from the first picture to the second; then the
    // slide timer starts.
    void Begin();
    // One slide. A tick that falls due while a transition runs is dropped.
    void Tick();
    // Timer2 and Timer1.
    void PollCd();
    void RestartMp3();
    // Music off, as the show ends.
    void StopMusic();

    int CurrentIndex() const { return currentIndex_; }
    // Wall time of the latest transition, for the measuring tool.
    double LastTransitionMs() const { return lastTransitionMs_; }
    bool InTransition() const { return inTransition_; }
    int SlideInterval() const;

private:
    int NextIndex();
    void ChooseEffect();
    CompositionParams Params() const;
    void Compose();
    void Transition();
    void StartNext();

    EffectHost& host_;
    ShowTimers& timers_;
    const CurrentValues& values_;
    const PictureListData& list_;
    ShuffleBag pictureBag_;
    ShuffleBag effectBag_;
    int currentIndex_ = 1;
    // The next slide is composed on a worker thread while the current one
    // shows, so a tick only swaps it in and input never waits on a decoder.
    int nextIndex_ = 1;
    std::future<BitmapPtr> next_;
    bool inTransition_ = false;
    double lastTransitionMs_ = 0;
};

}  // namespace tav

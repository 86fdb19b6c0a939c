#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "effects/EffectTable.h"
#include "effects/RecordingHost.h"
#include "engine/SlideShow.h"
#include "support/effect_harness.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/TempFolder.h"

namespace tav {
namespace {

struct FakeTimers : ShowTimers {
    int slideInterval = -1;
    bool slide = false, cd = false, mp3 = false;
    // Called each time the slide timer starts counting its interval afresh.
    std::function<void()> counting;
    void SetSlideInterval(int ms) override {
        slideInterval = ms;
        if (slide && counting) counting();
    }
    void EnableSlideTimer(bool on) override {
        slide = on;
        if (on && counting) counting();
    }
    void EnableCdPoll(bool on) override { cd = on; }
    bool CdPollEnabled() const override { return cd; }
    void EnableMp3Restart(bool on) override { mp3 = on; }
};

// A show on a small area over pictures of one flat colour each, so every
// frame tells which picture it shows.
struct ShowFixture : ::testing::Test {
    test::TempFolder dir;
    SlideSurfaces surfaces;
    RecordingHost host{surfaces};
    FakeTimers timers;
    CurrentValues values;
    PictureListData list;
    static constexpr Pixel kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};

    void SetUp() override {
        values.AreaWidth = 64;
        values.AreaHeight = 48;
        values.EffectSpeed = 8;
        values.IntervalSeconds = 3;
    }
    void UsePictures(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            paths.push_back(dir.File("p" + std::to_string(i + 1) + ".bmp"));
            pw::SaveFlatPicture(paths.back(), 32, 24, 0xFF000000u | kColours[i]);
        }
        list.Assign(paths);
    }
    // Which picture (1-based) the display shows at its centre, 0 for none.
    int Shown() {
        const Pixel p = host.Display().bitmap().pixel(32, 24);
        for (int i = 0; i < static_cast<int>(std::size(kColours)); ++i)
            if (p == kColours[i]) return i + 1;
        return 0;
    }
};

// Ticks as the slide timer would until `done`, for at most a few seconds.
bool TickUntil(SlideShow& show, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) {
        show.Tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// Waits a few seconds at most for every picture loader of the process to return.
bool LoadersReturn() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (PictureJob::Running() > 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return PictureJob::Running() == 0;
}

TEST_F(ShowFixture, StartUpShowsPictureOneThenRunsTheFirstTransitionToTwo) {
    UsePictures(2);
    SlideShow show(host, timers, values, list);
    // The notice may come from the worker after the test has ended.
    struct Notices {
        std::mutex mutex;
        std::condition_variable rang;
        int count = 0;
    };
    auto notices = std::make_shared<Notices>();
    show.SetComposedNotice([notices] {
        std::lock_guard lock(notices->mutex);
        ++notices->count;
        notices->rang.notify_all();
    });
    show.Prepare();
    EXPECT_EQ(Shown(), 0) << "no picture is waited for before the window shows";
    show.Begin();
    EXPECT_TRUE(timers.slide);
    EXPECT_EQ(timers.slideInterval, SlideShow::kRetryMs) << "the first picture is due at once";
    EXPECT_TRUE(show.Waiting());
    {
        std::unique_lock lock(notices->mutex);
        ASSERT_TRUE(notices->rang.wait_for(lock, std::chrono::seconds(20), [&] { return notices->count > 0; }));
    }
    show.Tick();
    EXPECT_TRUE(show.FirstPictureShown()) << "once the notice comes, one tick shows the picture";
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(show.TransitionCount(), 0);
    ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(host.EffectNumber, 1);
    EXPECT_EQ(timers.slideInterval, 3000);
}

// The second picture stands a whole interval: the slide timer starts counting
// when the first transition has returned, and later slides count from tick
// to tick without restarting it.
TEST_F(ShowFixture, TheSlideTimerCountsFromTheEndOfTheFirstTransition) {
    UsePictures(3);
    SlideShow show(host, timers, values, list);
    struct Start {
        int interval, transitions, frames;
        bool inTransition;
    };
    std::vector<Start> starts;
    timers.counting = [&] {
        starts.push_back({timers.slideInterval, show.TransitionCount(), host.frames, show.InTransition()});
    };
    show.Prepare();
    show.Begin();
    ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
    ASSERT_FALSE(starts.empty());
    const Start last = starts.back();
    EXPECT_EQ(last.interval, 3000);
    EXPECT_EQ(last.transitions, 1) << "the timer last started counting before the first transition";
    EXPECT_FALSE(last.inTransition);
    EXPECT_EQ(last.frames, host.frames) << "frames of the first transition drawn after the timer started counting";
    // Each later tick finds its picture composed (a picture still loading
    // would rightly make the timer retry sooner), and none restarts the timer.
    const std::size_t countedBefore = starts.size();
    for (int n = 2; n <= 3; ++n) {
        ASSERT_TRUE(LoadersReturn());
        show.Tick();
        ASSERT_EQ(show.TransitionCount(), n);
    }
    EXPECT_EQ(starts.size(), countedBefore) << "later slides run from tick to tick";
}

TEST_F(ShowFixture, TwoPicturesInListOrderAlternateAndEffectsCountUp) {
    UsePictures(2);
    SlideShow show(host, timers, values, list);
    // Every frame of a transition finds the picture it leaves in the other
    // slot, which lets it go once the transition is over.
    int wrongOutgoing = 0;
    host.onFrame = [&](int, const Bitmap&) {
        if (!show.InTransition()) return;  // the first picture, shown by itself
        const Bitmap& outgoing = host.Outgoing().bitmap();
        const Pixel left = kColours[show.TransitionCount() % 2 == 1 ? 0 : 1];
        if (outgoing.width() != 64 || outgoing.pixel(32, 24) != left) ++wrongOutgoing;
    };
    show.Prepare();
    show.Begin();
    std::vector<int> indices, effects, outgoingWidths;
    for (int n = 1; n <= 5; ++n) {
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == n; }));
        indices.push_back(show.CurrentIndex());
        effects.push_back(host.EffectNumber);
        outgoingWidths.push_back(host.Outgoing().bitmap().width());
    }
    EXPECT_EQ(indices, (std::vector<int>{2, 1, 2, 1, 2}));
    EXPECT_EQ(effects, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(wrongOutgoing, 0);
    EXPECT_EQ(outgoingWidths, (std::vector<int>{1, 1, 1, 1, 1})) << "a picture left behind is held on to";
    EXPECT_EQ(Shown(), 2);
}

// A show started from the state an earlier one reported goes on where that
// one stopped: the picture it would have shown next comes first, and neither
// the pictures nor the effects of the unfinished cycle come round again.
TEST_F(ShowFixture, AResumedShowGoesOnWhereTheLastOneStopped) {
    UsePictures(4);
    for (const std::int16_t order : {0, 1}) {
        SCOPED_TRACE(order == 0 ? "list order" : "random order");
        values.PictureOrder = values.EffectOrder = order;
        std::vector<ResumeState> reports;
        std::vector<int> shownBefore;
        int effectBefore = 0;
        {
            SlideShow show(host, timers, values, list);
            show.SetProgressNotice([&](const ResumeState& state) { reports.push_back(state); });
            show.Prepare();
            show.Begin();
            ASSERT_TRUE(TickUntil(show, [&] { return show.FirstPictureShown(); }));
            shownBefore.push_back(show.CurrentIndex());
            ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
            shownBefore.push_back(show.CurrentIndex());
            effectBefore = host.EffectNumber;
            ASSERT_TRUE(LoadersReturn());
        }
        ASSERT_EQ(reports.size(), 2u) << "one report per slide";
        const ResumeState last = reports.back();
        EXPECT_EQ(last.EffectNumber, effectBefore);

        host.EffectNumber = 0;  // a new process starts from nothing
        SlideShow show(host, timers, values, list);
        show.ResumeFrom(last);
        show.Prepare();
        show.Begin();
        ASSERT_TRUE(TickUntil(show, [&] { return show.FirstPictureShown(); }));
        const int first = show.CurrentIndex();
        EXPECT_EQ(first, last.NextPicture);
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
        const int second = show.CurrentIndex();
        if (order == 0) {
            EXPECT_EQ(shownBefore, (std::vector<int>{1, 2}));
            EXPECT_EQ(first, 3);
            EXPECT_EQ(second, 4);
            EXPECT_EQ(host.EffectNumber, effectBefore + 1);
        } else {
            // Four pictures: the earlier show drew three, so the fourth is the one left.
            std::vector<int> all = shownBefore;
            all.push_back(first);
            all.push_back(second);
            std::sort(all.begin(), all.end());
            EXPECT_EQ(all, (std::vector<int>{1, 2, 3, 4})) << "a picture came round again within its cycle";
            EXPECT_NE(host.EffectNumber, effectBefore) << "an effect came round again within its cycle";
        }
        ASSERT_TRUE(LoadersReturn());
    }
}

TEST_F(ShowFixture, SlideIntervalIsSecondsOrOneMillisecond) {
    UsePictures(2);
    for (auto [seconds, ms] : {std::pair{0, 1}, {10, 10000}, {1, 1000}}) {
        values.IntervalSeconds = static_cast<std::int16_t>(seconds);
        SlideShow show(host, timers, values, list);
        show.Prepare();
        show.Begin();
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
        EXPECT_EQ(timers.slideInterval, ms) << seconds;
    }
}

TEST_F(ShowFixture, ATickDuringATransitionStartsNoOther) {
    UsePictures(3);
    SlideShow show(host, timers, values, list);
    show.Prepare();
    int nestedTicks = 0;
    host.onFrame = [&](int, const Bitmap&) {
        if (show.InTransition() && nestedTicks++ == 0) {
            const int before = show.CurrentIndex();
            show.Tick();
            EXPECT_EQ(show.CurrentIndex(), before);
        }
    };
    show.Begin();
    ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
    EXPECT_GT(nestedTicks, 0);
    EXPECT_EQ(show.TransitionCount(), 1);
    EXPECT_FALSE(show.InTransition());
}

// The first picture composed ahead, while the program starts: the show takes
// the job over when it asks for the same file fitted the same way, whether
// the job is done or still composing, and otherwise composes the picture
// itself as if nothing had gone ahead.
TEST_F(ShowFixture, AFirstPictureComposedAheadIsTakenOverOnlyWhenItIsTheOneAskedFor) {
    UsePictures(2);
    const CompositionParams asked{values.AreaWidth, values.AreaHeight, values.FitMode,
                                  static_cast<Colorref>(values.BackColor)};
    CompositionParams wider = asked;
    wider.areaWidth += 1;
    const struct {
        const char* what;
        std::optional<PictureRequest> ahead;
        bool held;  // the job ahead is still composing when the show asks
        bool takenOver;
    } cases[] = {
        {"the same file and fit, composed", PictureRequest{list.Entry(1), asked}, false, true},
        {"the same file and fit, still composing", PictureRequest{list.Entry(1), asked}, true, true},
        {"another area size", PictureRequest{list.Entry(1), wider}, false, false},
        {"another file", PictureRequest{list.Entry(2), asked}, false, false},
        {"nothing planned", std::nullopt, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Shared with the threads, which may outlive this case.
        struct Record {
            std::mutex mutex;
            std::condition_variable changed;
            bool release = false, planned = false, composing = false;
            int aheadComposed = 0, showComposedFirst = 0, notices = 0;
        };
        auto record = std::make_shared<Record>();
        const auto ahead = c.ahead;
        const bool held = c.held;
        PictureJob::StartAhead(
            [record, held](const std::string& path, const CompositionParams& params) {
                std::unique_lock lock(record->mutex);
                record->composing = true;
                record->changed.notify_all();
                record->changed.wait(lock, [&] { return !held || record->release; });
                ++record->aheadComposed;
                return ComposePicture(path, params);
            },
            [record, ahead] {
                std::lock_guard lock(record->mutex);
                record->planned = true;
                record->changed.notify_all();
                return ahead;
            });
        {
            std::unique_lock lock(record->mutex);
            // A plan still being made when the show asks is dropped, as the
            // show cannot tell what it will name.
            ASSERT_TRUE(record->changed.wait_for(lock, std::chrono::seconds(20),
                                                 [&] { return c.ahead ? record->composing : record->planned; }));
        }
        const std::string first = list.Entry(1);
        SlideShow show(host, timers, values, list,
                       [record, first](const std::string& path, const CompositionParams& p) {
                           if (path == first) {
                               std::lock_guard lock(record->mutex);
                               ++record->showComposedFirst;
                           }
                           return ComposePicture(path, p);
                       });
        show.SetComposedNotice([record] {
            std::lock_guard lock(record->mutex);
            ++record->notices;
            record->changed.notify_all();
        });
        show.Prepare();
        {
            std::lock_guard lock(record->mutex);
            record->release = true;
        }
        record->changed.notify_all();
        {
            std::unique_lock lock(record->mutex);
            ASSERT_TRUE(record->changed.wait_for(lock, std::chrono::seconds(20), [&] { return record->notices > 0; }))
                << "the show hears of its first picture";
        }
        show.Begin();
        ASSERT_TRUE(TickUntil(show, [&] { return show.FirstPictureShown(); }));
        EXPECT_EQ(Shown(), 1);
        ASSERT_TRUE(LoadersReturn());
        std::lock_guard lock(record->mutex);
        EXPECT_EQ(record->showComposedFirst, c.takenOver ? 0 : 1) << "the first picture composed by the show";
        EXPECT_EQ(record->aheadComposed, c.ahead ? 1 : 0) << "pictures composed ahead";
    }
}

TEST_F(ShowFixture, AnUnreadablePictureShowsTheBackgroundColour) {
    list.Assign({dir.File("missing.jpg"), dir.File("also-missing.gif")});
    values.BackColor = 0x00336699;  // COLORREF: red 0x99, green 0x66, blue 0x33
    SlideShow show(host, timers, values, list);
    show.Prepare();
    show.Begin();
    ASSERT_TRUE(TickUntil(show, [&] { return show.FirstPictureShown(); }));
    EXPECT_EQ(host.Display().bitmap().pixel(0, 0), 0x996633u);
}

// A picture whose file does not answer: pictures are composed off the tick's
// thread, a due slide keeps the current picture while it waits, and once the
// wait is given up the slide shows the background and the show goes on.
TEST_F(ShowFixture, AStalledPictureIsWaitedForThenGivenUp) {
    UsePictures(3);
    values.BackColor = 0x00336699;
    // Shared with the worker threads, which may outlive this test.
    struct Gate {
        std::mutex mutex;
        std::condition_variable released;
        bool release = false;
        std::atomic<int> composedOnTickThread{0};
        std::atomic<int> stalledAttempts{0};
    };
    auto gate = std::make_shared<Gate>();
    const auto tickThread = std::this_thread::get_id();
    const std::string stalled = list.Entry(2);
    auto compose = [gate, tickThread, stalled](const std::string& path, const CompositionParams& params) {
        if (std::this_thread::get_id() == tickThread) ++gate->composedOnTickThread;
        if (path == stalled) {
            ++gate->stalledAttempts;
            std::unique_lock lock(gate->mutex);
            gate->released.wait(lock, [&] { return gate->release; });
        }
        return ComposePicture(path, params);
    };
    {
        SlideShow show(host, timers, values, list, compose);
        show.SetGiveUpMs(300);
        show.Prepare();
        show.Begin();
        ASSERT_TRUE(TickUntil(show, [&] { return show.FirstPictureShown(); }));
        EXPECT_EQ(Shown(), 1);
        const auto due = std::chrono::steady_clock::now();
        for (int i = 0; i < 20; ++i) {
            show.Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(show.TransitionCount(), 0) << "the stalled picture is waited for";
        EXPECT_EQ(Shown(), 1) << "the current picture stays meanwhile";
        EXPECT_EQ(timers.slideInterval, SlideShow::kRetryMs);
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 1; }));
        EXPECT_GE(std::chrono::steady_clock::now() - due, std::chrono::milliseconds(250));
        EXPECT_EQ(host.Display().bitmap().pixel(32, 24), 0x996633u) << "a given-up picture shows the background";
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 2; }));
        EXPECT_EQ(Shown(), 3) << "the show goes on with the next picture";
        // Twice round the list: the stalled picture's slides show the
        // background while its first loader is stuck, and no other starts.
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() == 8; }));
        EXPECT_EQ(gate->stalledAttempts, 1) << "one loader per file while it is stuck";
        EXPECT_EQ(Shown(), 3);
    }
    {
        std::lock_guard lock(gate->mutex);
        gate->release = true;
    }
    gate->released.notify_all();
    EXPECT_EQ(gate->composedOnTickThread, 0);
    EXPECT_TRUE(LoadersReturn());
}

// Many pictures whose files never answer, each given up in turn: the loaders
// stuck on them stay few in all, and the show goes round meanwhile.
TEST_F(ShowFixture, LoadersStuckOnManyFilesStayFewInAll) {
    struct Gate {
        std::mutex mutex;
        std::condition_variable released;
        bool release = false;
        std::atomic<int> stuck{0}, most{0};
    };
    auto gate = std::make_shared<Gate>();
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i) paths.push_back(dir.File("stalled" + std::to_string(i) + ".bmp"));
    UsePictures(1);
    paths.push_back(list.Entry(1));
    list.Assign(paths);
    auto compose = [gate](const std::string& path, const CompositionParams& params) {
        if (path.find("stalled") != std::string::npos) {
            const int now = ++gate->stuck;
            for (int most = gate->most; now > most && !gate->most.compare_exchange_weak(most, now);) {
            }
            std::unique_lock lock(gate->mutex);
            gate->released.wait(lock, [&] { return gate->release; });
            --gate->stuck;
        }
        return ComposePicture(path, params);
    };
    {
        SlideShow show(host, timers, values, list, compose);
        show.SetGiveUpMs(20);
        show.Prepare();
        show.Begin();
        ASSERT_TRUE(TickUntil(show, [&] { return show.TransitionCount() >= 2 * static_cast<int>(paths.size()); }));
        EXPECT_LE(gate->most, PictureJob::kMaxLoaders) << "loaders stuck at once";
        EXPECT_LE(PictureJob::Running(), PictureJob::kMaxLoaders);
    }
    {
        std::lock_guard lock(gate->mutex);
        gate->release = true;
    }
    gate->released.notify_all();
    EXPECT_TRUE(LoadersReturn()) << "released loaders return";
}

}  // namespace
}  // namespace tav

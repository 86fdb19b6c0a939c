#include "render/GroupVideo.h"

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "engine/SlideShow.h"
#include "render/GroupData.h"
#include "render/Progress.h"
#include "render/TimedHost.h"
#include "render/VideoOutput.h"

namespace tav {

namespace {

// Thrown from a frame when the video can no longer be written.
struct EncodingFailed {};

// The saver window's three timers on the video clock. The slide timer fires
// at its start plus whole intervals; a tick that falls due while a transition
// runs is lost, as in the show, so the next one comes on the same grid.
class VirtualTimers : public ShowTimers {
public:
    explicit VirtualTimers(const VideoClock& clock) : clock_(clock) {}

    void SetSlideInterval(int ms) override {
        interval_ = static_cast<long long>(ms > 0 ? ms : 1) * clock_.StepsPerMs();
        start_ = clock_.NowSteps();
    }
    void EnableSlideTimer(bool on) override {
        enabled_ = on;
        start_ = clock_.NowSteps();
    }
    void EnableCdPoll(bool on) override { cdPoll_ = on; }
    bool CdPollEnabled() const override { return cdPoll_; }
    void EnableMp3Restart(bool) override {}

    bool Enabled() const { return enabled_; }
    // The first tick at or after now.
    long long NextTick() const {
        const long long now = clock_.NowSteps();
        if (now <= start_) return start_ + interval_;
        const long long k = (now - start_ + interval_ - 1) / interval_;
        return start_ + std::max(1LL, k) * interval_;
    }

private:
    const VideoClock& clock_;
    long long interval_ = 1;
    long long start_ = 0;
    bool enabled_ = false;
    bool cdPoll_ = false;
};

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "tavrelle-render: %s\n", message.c_str());
    return 1;
}

}  // namespace

int RenderGroup(const RenderOptions& o) {
    std::string error;
    const std::optional<Container> container = ContainerOf(o.video, error);
    if (!container) return Failure(error);
    GroupData group;
    if (!ReadGroup(o.group, group, error)) return Failure(error);
    // The show's values, with the area the user asked for; the music goes
    // into the sound track instead of to a sound device.
    CurrentValues values = group.values;
    if (o.width > 0) {
        values.AreaWidth = o.width;
        values.AreaHeight = o.height;
        values.AreaCentreX = o.width / 2.0;
        values.AreaCentreY = o.height / 2.0;
    }
    values.MusicMode = 0;
    PictureListData list;
    list.Assign(group.pictures);
    const int slides = o.slides > 0 ? o.slides : list.Count();

    VideoOutput video;
    if (!video.Open({*container, "", o.video, values.AreaWidth, values.AreaHeight, o.fps, o.codec, group.music}, error))
        return Failure(error);
    VideoClock clock(o.fps, video);
    VirtualTimers timers(clock);
    SlideSurfaces surfaces;
    TimedHost host(surfaces, &clock);

    std::mutex mutex;
    std::condition_variable composed;
    long composedCount = 0;
    SlideShow show(host, timers, values, list);
    show.SetComposedNotice([&] {
        std::lock_guard lock(mutex);
        ++composedCount;
        composed.notify_all();
    });
    // A picture on a share that stopped answering is given up as in the show,
    // only later: nothing here is waiting for input.
    show.SetGiveUpMs(60000);
    host.onTransition = [&] { video.Pictures(host.Outgoing().bitmap(), host.Incoming().bitmap()); };
    host.afterFrame = [&] {
        if (video.Failed()) throw EncodingFailed{};
    };
    if (o.seed) SeedRandom(*o.seed);

    const auto wallStart = std::chrono::steady_clock::now();
    const double drawStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    Progress progress("slide", slides);
    // Every slide of the video is on the screen: the first picture, and the
    // incoming picture of each transition after it.
    const auto done = [&] { return show.FirstPictureShown() && show.TransitionCount() + 1 >= slides; };
    try {
        show.Prepare();
        show.Begin();
        while (!done()) {
            clock.PassTo(timers.NextTick());
            // A slide whose picture is still being composed comes as soon as
            // it is: on an ideal machine, at once.
            for (;;) {
                const bool first = show.FirstPictureShown();
                const int transitions = show.TransitionCount();
                long seen;
                {
                    std::lock_guard lock(mutex);
                    seen = composedCount;
                }
                show.Tick();
                progress.Update(show.TransitionCount() + (show.FirstPictureShown() ? 1 : 0));
                if (!show.Waiting() || done()) break;
                if (show.FirstPictureShown() != first || show.TransitionCount() != transitions) continue;
                std::unique_lock lock(mutex);
                composed.wait_for(lock, std::chrono::milliseconds(20), [&] { return composedCount != seen; });
            }
        }
        // The last slide stands until the tick that would end it.
        clock.PassTo(timers.NextTick());
    } catch (const EncodingFailed&) {
    }
    progress.Done();
    clock.Finish();
    // This thread drew the frames (and handed them on); the encoder's thread
    // and the codec's own threads did the rest.
    const double drawCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - drawStart;
    if (!video.Finish(error)) return Failure(error);
    if (o.stats) {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        std::printf(
            "{\"group\": %d, \"slides\": %d, \"width\": %d, \"height\": %d, \"fps\": %d, "
            "\"video_frames\": %lld, \"video_seconds\": %.3f, \"wall_seconds\": %.3f, "
            "\"draw_cpu_seconds\": %.3f, \"encode_thread_cpu_seconds\": %.3f, \"process_cpu_seconds\": %.3f}\n",
            o.group, slides, values.AreaWidth, values.AreaHeight, o.fps, clock.VideoFrames(),
            static_cast<double>(clock.VideoFrames()) / o.fps, wall, drawCpu, video.EncodeThreadCpuSeconds(),
            CpuSeconds(CLOCK_PROCESS_CPUTIME_ID));
    }
    return 0;
}

}  // namespace tav

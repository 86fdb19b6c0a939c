#include "surfaces/PictureJobs.h"

#include "platform/WorkerDescriptors.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tav {

namespace {

struct Loader {
    std::string path;
    const PictureJob* job;
    // Composing ahead, and dropped: it does not keep the show from loading
    // the same file again, as a stuck loader would. It cannot be stuck
    // where the show's loader would not be as well, and there is one at most.
    bool dropped = false;
};

// The files whose loaders have not returned, and the job composing ahead.
// Never destroyed: a loader that returns while the process ends still finds it.
struct Loaders {
    std::mutex mutex;
    std::vector<Loader> running;
    std::shared_ptr<PictureJob> ahead;
    std::optional<PictureRequest> aheadRequest;  // once the job's plan has named it
};

Loaders& TheLoaders() {
    static Loaders* const loaders = new Loaders;
    return *loaders;
}

BitmapPtr Background(const CompositionParams& params) {
    return std::make_shared<Bitmap>(params.areaWidth, params.areaHeight, ColorrefToPixel(params.backColor));
}

void Forget(Loaders& loaders, const PictureJob* job) {
    std::erase_if(loaders.running, [&](const Loader& entry) { return entry.job == job; });
}

// Whether a thread could be started; `body` runs on it with a descriptor
// table of its own (stuck or not, such a thread keeps none of the window's).
template <typename Body>
bool OnThreadOfItsOwn(Body body) {
    try {
        std::thread([body = std::move(body)]() mutable {
            LeaveSharedDescriptors();
            body();
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace

void PictureJob::Finish(BitmapPtr slide) {
    result_ = slide ? std::move(slide) : nullptr;
    ready_.store(true, std::memory_order_release);
    ready_.notify_all();
}

void PictureJob::NoticeWhenReady(const std::function<void()>& composed) {
    if (!composed) return;
    // Only the thread that waits knows when the bell may ring: the job's own
    // thread was started before the bell existed and does not hold it.
    auto job = shared_from_this();
    OnThreadOfItsOwn([job, composed] {
        job->ready_.wait(false, std::memory_order_acquire);
        composed();
    });
}

int PictureJob::Running() {
    Loaders& loaders = TheLoaders();
    std::lock_guard lock(loaders.mutex);
    return static_cast<int>(loaders.running.size());
}

std::shared_ptr<PictureJob> PictureJob::Start(const ComposeFunction& compose, const std::string& path,
                                              const CompositionParams& params, const std::function<void()>& composed) {
    auto job = std::make_shared<PictureJob>();
    Loaders& loaders = TheLoaders();
    {
        std::lock_guard lock(loaders.mutex);
        if (std::shared_ptr<PictureJob> ahead = std::exchange(loaders.ahead, nullptr)) {
            const std::optional<PictureRequest> request = std::exchange(loaders.aheadRequest, std::nullopt);
            if (request && request->path == path && request->params == params) {
                ahead->NoticeWhenReady(composed);
                return ahead;
            }
            for (Loader& entry : loaders.running)
                if (entry.job == ahead.get()) entry.dropped = true;
        }
        const bool again = std::any_of(loaders.running.begin(), loaders.running.end(),
                                       [&](const Loader& entry) { return entry.path == path && !entry.dropped; });
        if (again || static_cast<int>(loaders.running.size()) >= kMaxLoaders) {
            // A second loader of a file that does not answer would only get
            // stuck beside the first; the slide shows the background colour,
            // as an unreadable picture's does.
            job->Finish(Background(params));
            return job;
        }
        loaders.running.push_back({path, job.get()});
    }
    job->loaded_ = true;
    // The thread owns a share of the job, so the job outlives a show that
    // has stopped waiting for it.
    const bool started = OnThreadOfItsOwn([job, compose, path, params, composed] {
        job->Compose(compose, path, params);
        if (composed) composed();
    });
    if (!started) {
        // No thread to be had: the slide shows the background colour.
        {
            std::lock_guard lock(loaders.mutex);
            Forget(loaders, job.get());
        }
        job->Finish(Background(params));
    }
    return job;
}

void PictureJob::Compose(const ComposeFunction& compose, const std::string& path, const CompositionParams& params) {
    BitmapPtr slide;
    try {
        slide = compose(path, params);
    } catch (...) {
    }
    Finish(slide ? std::move(slide) : Background(params));
    Loaders& loaders = TheLoaders();
    std::lock_guard lock(loaders.mutex);
    Forget(loaders, this);
}

void PictureJob::StartAhead(const ComposeFunction& compose, std::function<std::optional<PictureRequest>()> plan) {
    auto job = std::make_shared<PictureJob>();
    job->loaded_ = true;
    Loaders& loaders = TheLoaders();
    {
        std::lock_guard lock(loaders.mutex);
        loaders.ahead = job;
        loaders.aheadRequest.reset();
    }
    const bool started = OnThreadOfItsOwn([job, compose, plan = std::move(plan)] {
        std::optional<PictureRequest> request;
        try {
            request = plan();
        } catch (...) {
        }
        Loaders& loaders = TheLoaders();
        {
            std::lock_guard lock(loaders.mutex);
            if (loaders.ahead != job) return;  // the show asked first, for whatever it asked
            if (!request) {
                loaders.ahead.reset();
                return;
            }
            loaders.aheadRequest = request;
            loaders.running.push_back({request->path, job.get()});
        }
        job->Compose(compose, request->path, request->params);
    });
    if (!started) {
        std::lock_guard lock(loaders.mutex);
        if (loaders.ahead == job) loaders.ahead.reset();
    }
}

}  // namespace tav

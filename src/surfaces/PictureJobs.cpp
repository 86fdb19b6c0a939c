#include "surfaces/PictureJobs.h"

#include "platform/WorkerDescriptors.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tav {

namespace {

// The files whose loaders have not returned. Never destroyed: a loader that
// returns while the process ends still finds it.
struct Loaders {
    std::mutex mutex;
    std::vector<std::pair<std::string, const PictureJob*>> running;
};

Loaders& TheLoaders() {
    static Loaders* const loaders = new Loaders;
    return *loaders;
}

BitmapPtr Background(const CompositionParams& params) {
    return std::make_shared<Bitmap>(params.areaWidth, params.areaHeight, ColorrefToPixel(params.backColor));
}

}  // namespace

void PictureJob::Finish(BitmapPtr slide) {
    result_ = slide ? std::move(slide) : nullptr;
    ready_.store(true, std::memory_order_release);
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
        const bool again = std::any_of(loaders.running.begin(), loaders.running.end(),
                                       [&](const auto& entry) { return entry.first == path; });
        if (again || static_cast<int>(loaders.running.size()) >= kMaxLoaders) {
            // A second loader of a file that does not answer would only get
            // stuck beside the first; the slide shows the background colour,
            // as an unreadable picture's does.
            job->Finish(Background(params));
            return job;
        }
        loaders.running.emplace_back(path, job.get());
    }
    job->loaded_ = true;
    try {
        // The thread owns a share of the job, so the job outlives a show that
        // has stopped waiting for it.
        std::thread([job, compose, path, params, composed] {
            // Stuck or not, this thread keeps no descriptor of the window's.
            LeaveSharedDescriptors();
            BitmapPtr slide;
            try {
                slide = compose(path, params);
            } catch (...) {
            }
            job->Finish(slide ? std::move(slide) : Background(params));
            {
                Loaders& loaders = TheLoaders();
                std::lock_guard lock(loaders.mutex);
                std::erase_if(loaders.running, [&](const auto& entry) { return entry.second == job.get(); });
            }
            if (composed) composed();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the slide shows the background colour.
        {
            std::lock_guard lock(loaders.mutex);
            std::erase_if(loaders.running, [&](const auto& entry) { return entry.second == job.get(); });
        }
        job->Finish(Background(params));
    }
    return job;
}

}  // namespace tav

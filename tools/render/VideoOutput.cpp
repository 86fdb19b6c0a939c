#include "render/VideoOutput.h"

#include <algorithm>
#include <ctime>

#include "render/FfmpegEncoder.h"
#include "render/WebpEncoder.h"

namespace tav {

namespace {

// Frames waiting for the encoder: at least enough to keep it busy while the
// next is drawn, and as many as fit in a few megabytes, so a 1080p video
// stays small in memory and small pictures are drawn far ahead.
constexpr std::size_t kQueuedFrames = 3;
constexpr std::size_t kQueuedBytes = 32u << 20;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

std::optional<Container> ContainerOf(const std::string& path, std::string& error) {
    struct Extension {
        const char* text;
        Container container;
    };
    static constexpr Extension kExtensions[] = {{".mp4", Container::Mp4},
                                                {".webm", Container::WebM},
                                                {".mkv", Container::Mkv},
                                                {".gif", Container::Gif},
                                                {".webp", Container::WebP}};
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    std::string extension =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.substr(dot);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const Extension& e : kExtensions)
        if (extension == e.text) return e.container;
    error = (extension.empty() ? "'" + path + "' has no extension" : "unknown extension '" + extension + "'") +
            ": the video file ends in .mp4, .webm, .mkv, .gif or .webp";
    return std::nullopt;
}

VideoOutput::~VideoOutput() { Abandon(); }

bool VideoOutput::Open(VideoSettings settings, std::string& error) {
    limit_ = std::max(kQueuedFrames, kQueuedBytes / (static_cast<std::size_t>(settings.width) * settings.height * 4));
    container_ = settings.container;
    if (!file_.Create(settings.name, error)) return false;
    settings.file = file_.TempPath();
    encoder_ =
        settings.container == Container::WebP ? OpenWebpEncoder(settings, error) : OpenFfmpegEncoder(settings, error);
    if (!encoder_) {
        file_.Discard();
        return false;
    }
    worker_ = std::thread([this] { Work(); });
    return true;
}

void VideoOutput::Push(Item item) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < limit_ || failed_; });
    if (failed_) return;
    queue_.push_back(std::move(item));
    changed_.notify_all();
}

void VideoOutput::Frame(Bitmap&& frame) { Push({Item::NewFrame, std::move(frame), {}}); }
void VideoOutput::Repeat() { Push({Item::RepeatFrame, {}, {}}); }

Bitmap VideoOutput::Spare() {
    std::lock_guard lock(mutex_);
    if (spares_.empty()) return {};
    Bitmap spare = std::move(spares_.back());
    spares_.pop_back();
    return spare;
}
void VideoOutput::Pictures(const Bitmap& outgoing, const Bitmap& incoming) {
    // Only a palette needs them; copies of two 1080p pictures are not free.
    if (container_ == Container::Gif) Push({Item::NewPictures, outgoing, incoming});
}

bool VideoOutput::Failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

void VideoOutput::Work() {
    const double start = ThreadCpuSeconds();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) break;
        Item item = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        bool ok = true;
        switch (item.kind) {
        case Item::NewFrame:
            ok = encoder_->Frame(std::move(item.a));
            // An encoder that copied the pixels leaves the bitmap whole.
            if (!item.a.pixels().empty()) {
                std::lock_guard spareLock(mutex_);
                if (spares_.size() < 2) spares_.push_back(std::move(item.a));
            }
            break;
        case Item::RepeatFrame: ok = encoder_->Repeat(); break;
        case Item::NewPictures: encoder_->Pictures(item.a, item.b); break;
        }
        lock.lock();
        busy_ = false;
        if (!ok) {
            failed_ = true;
            queue_.clear();
        }
        changed_.notify_all();
    }
    encodeCpu_ = ThreadCpuSeconds() - start;
}

void VideoOutput::Stop() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool VideoOutput::Finish(std::string& error) {
    Stop();
    if (!encoder_) return error = "no video was begun", false;
    const bool ok = !failed_ && encoder_->Finish();
    if (!ok) {
        error = encoder_->error;
        encoder_.reset();
        file_.Discard();
        return false;
    }
    encoder_.reset();
    return file_.Commit(error);
}

void VideoOutput::Abandon() {
    Stop();
    encoder_.reset();
    file_.Discard();
}

}  // namespace tav

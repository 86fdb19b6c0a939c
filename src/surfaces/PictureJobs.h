#pragma once
// Pictures composed on threads of their own. Nothing ever waits for such a
// thread: a picture on a file system that stopped answering is given up by
// the show, and its thread is left to finish (or not) by itself, so neither
// the show nor its end hangs on it. Such threads are kept few: one file never
// has two loaders, and only a few loaders run in the whole process.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "surfaces/Composition.h"

namespace tav {

// How a picture file becomes an area-sized slide (ComposePicture unless a
// test says otherwise). It runs on a worker thread.
using ComposeFunction = std::function<BitmapPtr(const std::string& path, const CompositionParams& params)>;

// A picture to compose: the file and how it is fitted.
struct PictureRequest {
    std::string path;
    CompositionParams params;
};

class PictureJob : public std::enable_shared_from_this<PictureJob> {
public:
    // Loaders that may run at once in the process: the one composing the next
    // slide and a few stuck on files that never answer.
    static constexpr int kMaxLoaders = 4;

    // Composes `path` on a new thread; `composed`, when given, is called on
    // that thread once the slide is Ready(). A file whose previous loader has
    // not returned, or a start while kMaxLoaders loaders run, gets no thread:
    // the job is ready at once with a slide of the background colour.
    static std::shared_ptr<PictureJob> Start(const ComposeFunction& compose, const std::string& path,
                                             const CompositionParams& params,
                                             const std::function<void()>& composed = {});
    // Loaders whose threads have not returned yet, in the whole process.
    static int Running();

    // Composes, while the program is still starting, the picture its show
    // will ask for first. `plan` runs on the new thread and names the picture
    // (nothing: there is none to compose ahead). The next Start() takes this
    // job over, composed or still composing, when it asks for the same file
    // with the same parameters; any other Start() drops it, and the picture
    // is composed as if nothing had gone ahead. A show asks for its first
    // picture only after the toolkit and its window are up, which takes as
    // long as decoding a large photo, so the two can run side by side.
    static void StartAhead(const ComposeFunction& compose, std::function<std::optional<PictureRequest>()> plan);

    bool Ready() const { return ready_.load(std::memory_order_acquire); }
    // The slide, once Ready().
    BitmapPtr Result() const { return Ready() ? result_ : nullptr; }
    // Whether a thread composes (or composed) this job; false for a slide
    // made at once.
    bool Loaded() const { return loaded_; }

private:
    void Finish(BitmapPtr slide);
    // Composes on the calling thread, finishes the job and forgets its loader.
    void Compose(const ComposeFunction& compose, const std::string& path, const CompositionParams& params);
    // Calls `composed` on a thread of its own once the job is ready.
    void NoticeWhenReady(const std::function<void()>& composed);

    std::atomic<bool> ready_{false};
    bool loaded_ = false;
    BitmapPtr result_;
};

}  // namespace tav

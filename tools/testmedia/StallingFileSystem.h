// A small file system of our own, served from this process straight through
// /dev/fuse, whose chosen files never answer: their lookup, their open or
// their reads wait until the file system is released. Other files are
// served normally. Tests and the measuring tool put pictures and music on
// it to see that a share which stops answering holds neither the show nor
// its end.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tav::test {

class StallingFileSystem {
public:
    enum class Stall { None, Lookup, Open, Read };

    // Mounts the file system at `mountPoint` (made when missing). ok() is
    // false, and whyNot() says why, where /dev/fuse is missing or mounting is
    // not permitted.
    explicit StallingFileSystem(const std::string& mountPoint);
    // Release().
    ~StallingFileSystem();
    StallingFileSystem(const StallingFileSystem&) = delete;
    StallingFileSystem& operator=(const StallingFileSystem&) = delete;

    bool ok() const { return serving_; }
    const std::string& whyNot() const { return whyNot_; }

    // Adds a file to the root folder, served whole or stalled at `stall`.
    void AddFile(const std::string& name, std::string content, Stall stall = Stall::None);
    std::string Path(const std::string& name) const { return mountPoint_ + "/" + name; }
    // Requests held unanswered so far.
    int Held() const { return held_.load(); }

    // The share comes back: no file stalls any more, and every held request
    // is answered as it would have been at once.
    void Resume();

    // Answers every held request with an input/output error, unmounts and
    // stops serving, so nothing that touched a stalled file waits any more.
    void Release();

private:
    struct File {
        std::uint64_t node = 0;
        std::string content;
        Stall stall = Stall::None;
    };

    void Serve();
    void Handle(const char* request, std::size_t size);
    void Reply(std::uint64_t unique, int error, const void* body = nullptr, std::size_t size = 0);
    void Hold(const char* request, std::size_t size);
    const File* FileOf(std::uint64_t node) const;

    std::string mountPoint_;
    std::string whyNot_;
    int fd_ = -1;
    int stop_ = -1;  // eventfd that ends the serving thread
    dev_t device_ = 0;
    bool mounted_ = false;
    bool serving_ = false;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, File> files_;
    std::vector<std::vector<char>> heldRequests_;  // each whole, as read
    std::atomic<int> held_{0};
    std::uint64_t nextNode_ = 2;
};

}  // namespace tav::test

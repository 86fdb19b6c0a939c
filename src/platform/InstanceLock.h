// One running copy at a time: an exclusive lock on a small lock file.
//
// The lock is an flock(2) lock on "Tavrelle-<key>.lock" in $XDG_RUNTIME_DIR
// (when it names a folder), else in the data folder. The key is derived from
// the data folder, so copies working on different data folders (a test's
// private folder, another account's home) never exclude each other, while two
// copies on the same data files always do. The kernel drops the lock when the
// process ends however it ends, so a crashed copy never blocks the next one.
#pragma once

#include <optional>
#include <string>

namespace tav {

class InstanceLock {
public:
    // Takes the lock named `name` for the data folder `dataFolder` without
    // waiting. std::nullopt when another process holds it. When no lock file
    // can be made at all (no writable folder), the lock counts as taken, so
    // that such a system still runs, guarded by the window titles alone.
    static std::optional<InstanceLock> TryTake(const std::string& dataFolder, const std::string& name = "instance");

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();  // releases the lock

    // The lock file used for dataFolder and name.
    static std::string PathFor(const std::string& dataFolder, const std::string& name = "instance");

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace tav

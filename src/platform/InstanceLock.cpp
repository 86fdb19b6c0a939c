#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tav {

namespace {

bool IsFolder(const char* path) {
    struct stat st {};
    return path && path[0] == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// FNV-1a: stable across builds and runs, unlike std::hash.
std::uint64_t KeyOf(const std::string& text) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
    return h;
}

std::string FileNameFor(const std::string& dataFolder, const std::string& name) {
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(KeyOf(dataFolder)));
    return "/Tavrelle-" + name + "-" + key + ".lock";
}

// The lock file at path, opened for locking, or -1. Only a regular file of
// this user counts, checked on the opened file itself so nothing can be
// swapped in between: a file another user planted in a shared folder (with
// a lock of theirs on it) would otherwise keep every show from starting.
int OpenOwnLockFile(const std::string& path) {
    // O_NOFOLLOW: a link planted under the name is not followed.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string InstanceLock::PathFor(const std::string& dataFolder, const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = IsFolder(runtime) ? std::string(runtime) : dataFolder;
    return folder + FileNameFor(dataFolder, name);
}

std::optional<InstanceLock> InstanceLock::TryTake(const std::string& dataFolder, const std::string& name) {
    const std::string path = PathFor(dataFolder, name);
    int fd = OpenOwnLockFile(path);
    // A lock file that is not ours, or cannot be made, in the shared folder:
    // the data folder, which is ours, holds the lock instead.
    const std::string own = dataFolder + FileNameFor(dataFolder, name);
    if (fd < 0 && own != path) fd = OpenOwnLockFile(own);
    if (fd < 0) return InstanceLock(-1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (held) return std::nullopt;
        return InstanceLock(-1);
    }
    return InstanceLock(fd);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tav

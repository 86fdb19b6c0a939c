#include "storage/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>

namespace tav {

namespace {

std::function<bool(const std::string&)>& BeforeRenameHook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A name beside the target that no other writer of this process or another
// uses at the same moment.
std::string TemporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

FileState StateOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileState::Absent : FileState::Unreadable;
    return S_ISREG(st.st_mode) ? FileState::Read : FileState::Unreadable;
}

FileRead ReadDataFile(const std::string& path, std::size_t maxBytes) {
    FileRead result;
    result.state = StateOf(path);
    if (result.state != FileState::Read) return result;
    result.state = FileState::Unreadable;
    // O_NONBLOCK: should a pipe replace the file after the check, opening it
    // still returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) result.state = FileState::Absent;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return result;
    }
    result.bytes.reserve(std::min<std::size_t>(maxBytes, static_cast<std::size_t>(std::max<off_t>(st.st_size, 0))));
    std::uint8_t buffer[65536];
    while (result.bytes.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - result.bytes.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        result.bytes.insert(result.bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    result.state = FileState::Read;
    return result;
}

std::optional<Bytes> ContentsToKeep(const std::string& path) {
    FileRead file = ReadDataFile(path, kMaxRewrittenFileBytes + 1);
    if (file.state == FileState::Absent) return Bytes{};
    if (!file.read() || file.bytes.size() > kMaxRewrittenFileBytes) return std::nullopt;
    return std::move(file.bytes);
}

bool IsReadableRegularFile(const std::string& path) {
    if (StateOf(path) != FileState::Read) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::string FollowLinks(const std::string& path) {
    // A chain longer than the kernel's own limit is left as it is; writing
    // then fails at the rename, as opening it would.
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(n));
        if (target[0] != '/') {
            const std::size_t slash = current.find_last_of('/');
            if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
        }
        current = target;
    }
    return current;
}

FileTransaction::~FileTransaction() {
    for (const Staged& s : staged_)
        if (!s.temp.empty()) ::unlink(s.temp.c_str());
}

bool FileTransaction::Stage(const std::string& path, const Bytes& bytes) {
    const std::string target = FollowLinks(path);
    const FileState state = StateOf(target);
    if (state != FileState::Absent && !IsReadableRegularFile(target)) {
        failed_ = path;
        return false;
    }
    const std::string temp = TemporaryNameFor(target);
    // Mode 0666 lets the user's umask decide, as for any newly created file.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        failed_ = path;
        return false;
    }
    staged_.push_back({path, target, temp});
    struct stat old {};
    if (state == FileState::Read && ::stat(target.c_str(), &old) == 0) {
        // Owner first: changing it may clear the set-id bits the mode restores.
        // Only root (or the owner, for a group it belongs to) may do this; a
        // refusal leaves the new file ours, which is what a save can do.
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        [[maybe_unused]] const int moded = ::fchmod(fd, old.st_mode & 07777);
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && BeforeRenameHook()) ok = BeforeRenameHook()(temp);
    if (!ok) failed_ = path;
    return ok;
}

bool FileTransaction::Commit() {
    if (!failed_.empty()) return false;
    for (Staged& s : staged_) {
        if (std::rename(s.temp.c_str(), s.target.c_str()) != 0) {
            failed_ = s.path;
            return false;
        }
        s.temp.clear();
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const Bytes& bytes) {
    FileTransaction write;
    return write.Stage(path, bytes) && write.Commit();
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    return WriteFileAtomically(path, Bytes(text.begin(), text.end()));
}

bool EnsureFileExists(const std::string& path) {
    if (StateOf(path) != FileState::Absent) return StateOf(path) == FileState::Read;
    // O_EXCL: whatever appeared meanwhile is never opened, let alone truncated.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0) ::close(fd);
    return StateOf(path) == FileState::Read;
}

int RemoveLeftoverTemporaryFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        // Our pattern only: "<name>.tmp-<pid>-<counter>", both numbers decimal.
        const std::string name = entry->d_name;
        const std::size_t mark = name.rfind(".tmp-");
        if (mark == std::string::npos || mark == 0) continue;
        const std::string tail = name.substr(mark + 5);
        const std::size_t dash = tail.find('-');
        auto digits = [](const std::string& t) {
            return !t.empty() && t.size() <= 10 &&
                   std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (dash == std::string::npos || !digits(tail.substr(0, dash)) || !digits(tail.substr(dash + 1))) continue;
        const long long pid = std::stoll(tail.substr(0, dash));
        if (pid <= 0 || pid > 0x7FFFFFFF || pid == ::getpid()) continue;
        // EPERM means the process exists under another user: it is kept.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

void SetBeforeRenameHookForTests(std::function<bool(const std::string& tempPath)> hook) {
    BeforeRenameHook() = std::move(hook);
}

}  // namespace tav

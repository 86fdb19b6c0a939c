#include "testmedia/StallingFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tav::test {

namespace {

// Large enough for any request the kernel sends with the write size below.
constexpr std::size_t kMaxWrite = 128 * 1024;
constexpr std::size_t kRequestBuffer = kMaxWrite + 64 * 1024;
// Answers are kept by the kernel this long (seconds); stalled names are never answered.
constexpr std::uint64_t kValidSeconds = 3600;

fuse_attr AttrOf(std::uint64_t node, std::uint32_t mode, std::uint64_t size) {
    fuse_attr a{};
    a.ino = node;
    a.size = size;
    a.blocks = (size + 511) / 512;
    a.mode = mode;
    a.nlink = S_ISDIR(mode) ? 2 : 1;
    a.uid = ::getuid();
    a.gid = ::getgid();
    a.blksize = 4096;
    return a;
}

}  // namespace

StallingFileSystem::StallingFileSystem(const std::string& mountPoint) : mountPoint_(mountPoint) {
    std::error_code ec;
    std::filesystem::create_directories(mountPoint_, ec);
    fd_ = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        whyNot_ = "/dev/fuse cannot be opened: " + std::string(std::strerror(errno));
        return;
    }
    const std::string options = "fd=" + std::to_string(fd_) + ",rootmode=40000,user_id=" + std::to_string(::getuid()) +
                                ",group_id=" + std::to_string(::getgid()) + ",allow_other";
    if (::mount("tavrelle-stall", mountPoint_.c_str(), "fuse", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        whyNot_ = "mounting a FUSE file system is not permitted: " + std::string(std::strerror(errno));
        ::close(fd_);
        fd_ = -1;
        return;
    }
    mounted_ = true;
    // The connection's abort switch is in the FUSE control file system,
    // which not every system mounts.
    if (std::filesystem::is_empty("/sys/fs/fuse/connections", ec))
        ::mount("fusectl", "/sys/fs/fuse/connections", "fusectl", 0, nullptr);
    stop_ = ::eventfd(0, EFD_CLOEXEC);
    serving_ = true;
    thread_ = std::thread([this] { Serve(); });
    // The kernel names the connection after the device of the mount; stat
    // waits for the first request, INIT, to be answered.
    struct stat st {};
    if (::stat(mountPoint_.c_str(), &st) == 0) device_ = st.st_dev;
}

StallingFileSystem::~StallingFileSystem() { Release(); }

void StallingFileSystem::AddFile(const std::string& name, std::string content, Stall stall) {
    std::lock_guard lock(mutex_);
    File& f = files_[name];
    if (f.node == 0) f.node = nextNode_++;
    f.content = std::move(content);
    f.stall = stall;
}

const StallingFileSystem::File* StallingFileSystem::FileOf(std::uint64_t node) const {
    for (const auto& [name, file] : files_)
        if (file.node == node) return &file;
    return nullptr;
}

void StallingFileSystem::Release() {
    if (!mounted_) return;
    {
        std::lock_guard lock(mutex_);
        for (auto& [name, file] : files_) file.stall = Stall::None;
        for (const std::vector<char>& request : heldRequests_) {
            fuse_in_header in{};
            std::memcpy(&in, request.data(), sizeof in);
            Reply(in.unique, -EIO);
        }
        heldRequests_.clear();
    }
    ::umount2(mountPoint_.c_str(), MNT_DETACH);
    mounted_ = false;
    // Whatever is still queued fails at once once the connection is aborted.
    if (device_ != 0) std::ofstream("/sys/fs/fuse/connections/" + std::to_string(device_) + "/abort") << "1";
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(stop_, &one, sizeof one);
        thread_.join();
    }
    serving_ = false;
    if (stop_ >= 0) ::close(stop_);
    if (fd_ >= 0) ::close(fd_);
    stop_ = fd_ = -1;
    std::error_code ec;
    std::filesystem::remove(mountPoint_, ec);
}

void StallingFileSystem::Serve() {
    std::vector<char> buffer(kRequestBuffer);
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0) {
            // ENOENT: a request that was interrupted before it was read.
            if (errno == EINTR || errno == EAGAIN || errno == ENOENT) continue;
            return;  // ENODEV: unmounted or aborted
        }
        if (static_cast<std::size_t>(n) >= sizeof(fuse_in_header)) Handle(buffer.data(), static_cast<std::size_t>(n));
    }
}

void StallingFileSystem::Reply(std::uint64_t unique, int error, const void* body, std::size_t size) {
    fuse_out_header header{};
    header.len = static_cast<std::uint32_t>(sizeof header + (error == 0 ? size : 0));
    header.error = error;
    header.unique = unique;
    iovec parts[2] = {{&header, sizeof header}, {const_cast<void*>(body), error == 0 ? size : 0}};
    [[maybe_unused]] const ssize_t n = ::writev(fd_, parts, parts[1].iov_len ? 2 : 1);
}

void StallingFileSystem::Hold(const char* request, std::size_t size) {
    heldRequests_.emplace_back(request, request + size);
    ++held_;
}

void StallingFileSystem::Resume() {
    std::vector<std::vector<char>> held;
    {
        std::lock_guard lock(mutex_);
        for (auto& [name, file] : files_) file.stall = Stall::None;
        held.swap(heldRequests_);
    }
    for (const std::vector<char>& request : held) Handle(request.data(), request.size());
}

void StallingFileSystem::Handle(const char* request, std::size_t size) {
    fuse_in_header in{};
    std::memcpy(&in, request, sizeof in);
    const char* body = request + sizeof in;
    const std::size_t bodySize = std::min<std::size_t>(size, in.len) - sizeof in;
    std::lock_guard lock(mutex_);
    switch (in.opcode) {
    case FUSE_INIT: {
        fuse_init_in init{};
        std::memcpy(&init, body, std::min(bodySize, sizeof init));
        fuse_init_out out{};
        out.major = FUSE_KERNEL_VERSION;
        out.minor = std::min<std::uint32_t>(init.minor, FUSE_KERNEL_MINOR_VERSION);
        out.max_readahead = init.max_readahead;
        // Without it the kernel looks up one name of a folder at a time,
        // and a stalled lookup would hold every other.
        out.flags = init.flags & FUSE_PARALLEL_DIROPS;
        out.max_background = 16;
        out.congestion_threshold = 12;
        out.max_write = kMaxWrite;
        out.time_gran = 1;
        Reply(in.unique, 0, &out, sizeof out);
        return;
    }
    case FUSE_LOOKUP: {
        const std::string name(body, strnlen(body, bodySize));
        const auto it = files_.find(name);
        if (in.nodeid != FUSE_ROOT_ID || it == files_.end()) return Reply(in.unique, -ENOENT);
        if (it->second.stall == Stall::Lookup) return Hold(request, size);
        fuse_entry_out out{};
        out.nodeid = it->second.node;
        out.entry_valid = out.attr_valid = kValidSeconds;
        out.attr = AttrOf(it->second.node, S_IFREG | 0644, it->second.content.size());
        return Reply(in.unique, 0, &out, sizeof out);
    }
    case FUSE_GETATTR: {
        fuse_attr_out out{};
        out.attr_valid = kValidSeconds;
        if (in.nodeid == FUSE_ROOT_ID) {
            out.attr = AttrOf(FUSE_ROOT_ID, S_IFDIR | 0755, 0);
        } else if (const File* f = FileOf(in.nodeid)) {
            out.attr = AttrOf(f->node, S_IFREG | 0644, f->content.size());
        } else {
            return Reply(in.unique, -ENOENT);
        }
        return Reply(in.unique, 0, &out, sizeof out);
    }
    case FUSE_OPEN: {
        const File* f = FileOf(in.nodeid);
        if (!f) return Reply(in.unique, -ENOENT);
        if (f->stall == Stall::Open) return Hold(request, size);
        fuse_open_out out{};
        out.fh = f->node;
        // Reads of a stalling file always come here, never from the page cache.
        out.open_flags = f->stall == Stall::Read ? FOPEN_DIRECT_IO : 0;
        return Reply(in.unique, 0, &out, sizeof out);
    }
    case FUSE_READ: {
        fuse_read_in read{};
        std::memcpy(&read, body, std::min(bodySize, sizeof read));
        const File* f = FileOf(in.nodeid);
        if (!f) return Reply(in.unique, -EBADF);
        if (f->stall == Stall::Read) return Hold(request, size);
        const std::size_t from = std::min<std::size_t>(read.offset, f->content.size());
        const std::size_t count = std::min<std::size_t>(read.size, f->content.size() - from);
        return Reply(in.unique, 0, f->content.data() + from, count);
    }
    case FUSE_OPENDIR: {
        fuse_open_out out{};
        return Reply(in.unique, 0, &out, sizeof out);
    }
    case FUSE_READDIR: {
        fuse_read_in read{};
        std::memcpy(&read, body, std::min(bodySize, sizeof read));
        std::vector<char> out;
        std::uint64_t index = 0;
        for (const auto& [name, file] : files_) {
            if (++index <= read.offset) continue;
            const std::size_t entry = FUSE_DIRENT_ALIGN(FUSE_NAME_OFFSET + name.size());
            if (out.size() + entry > read.size) break;
            const std::size_t at = out.size();
            out.resize(at + entry, '\0');
            fuse_dirent d{};
            d.ino = file.node;
            d.off = index;
            d.namelen = static_cast<std::uint32_t>(name.size());
            d.type = DT_REG;
            std::memcpy(out.data() + at, &d, FUSE_NAME_OFFSET);
            std::memcpy(out.data() + at + FUSE_NAME_OFFSET, name.data(), name.size());
        }
        return Reply(in.unique, 0, out.data(), out.size());
    }
    case FUSE_STATFS: {
        fuse_statfs_out out{};
        out.st.bsize = out.st.frsize = 4096;
        out.st.namelen = 255;
        return Reply(in.unique, 0, &out, sizeof out);
    }
    case FUSE_RELEASE:
    case FUSE_RELEASEDIR:
    case FUSE_FLUSH: return Reply(in.unique, 0);
    case FUSE_FORGET:
    case FUSE_BATCH_FORGET:
    case FUSE_INTERRUPT: return;  // no answer is expected
    default: return Reply(in.unique, -ENOSYS);
    }
}

}  // namespace tav::test

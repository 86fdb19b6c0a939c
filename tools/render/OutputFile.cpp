#include "render/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace tav {

namespace {

// The temporary files now open, for the signal handler: it may only read
// these and call unlink().
constexpr int kSlots = 16;
std::atomic<char*> g_temps[kSlots];

int Register(const std::string& path) {
    char* copy = strdup(path.c_str());
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_temps[i].compare_exchange_strong(expected, copy)) return i;
    }
    std::free(copy);
    return -1;
}

void Unregister(int slot) {
    if (slot >= 0) std::free(g_temps[slot].exchange(nullptr));
}

extern "C" void RemoveTempsAndDie(int signal) {
    for (auto& slot : g_temps)
        if (char* p = slot.load()) unlink(p);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void InstallOutputCleanup() {
    std::signal(SIGXFSZ, SIG_IGN);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, RemoveTempsAndDie);
}

bool OutputFile::Create(const std::string& path, std::string& error) {
    path_ = path;
    const std::string folder = FolderOf(path);
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return error = "'" + path + "' names a folder, not a file", false;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return error = "'" + path + "' is a folder", false;

    std::string pattern = folder + "/." + name + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return error = "cannot write in " + folder + ": " + std::strerror(errno), false;
    // mkstemp makes the file private; the finished file gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    temp_ = pattern;
    slot_ = Register(temp_);
    return true;
}

bool OutputFile::Commit(std::string& error) {
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    Unregister(slot_);
    slot_ = -1;
    temp_.clear();
    return true;
}

void OutputFile::Discard() {
    if (!temp_.empty()) unlink(temp_.c_str());
    Unregister(slot_);
    slot_ = -1;
    temp_.clear();
}

OutputFile::~OutputFile() { Discard(); }

}  // namespace tav

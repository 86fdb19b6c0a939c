#include "platform/WorkerDescriptors.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>

namespace tav {

namespace {

std::atomic<int> g_kept{-1};

void CloseRange(unsigned first, unsigned last) {
    if (first > last) return;
    if (::close_range(first, last, 0) == 0) return;
    // Without close_range (older kernels) the usual table size is walked.
    for (unsigned fd = first; fd <= last && fd < 4096; ++fd) ::close(static_cast<int>(fd));
}

}  // namespace

void KeepDescriptorInWorkers(int fd) { g_kept.store(fd); }

void LeaveSharedDescriptors() {
    if (::unshare(CLONE_FILES) != 0) return;
    const int kept = g_kept.load();
    if (kept >= 3) {
        CloseRange(3, static_cast<unsigned>(kept) - 1);
        CloseRange(static_cast<unsigned>(kept) + 1, ~0u);
    } else {
        CloseRange(3, ~0u);
    }
}

}  // namespace tav

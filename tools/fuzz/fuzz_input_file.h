// The fuzzer's input as a file: the readers under test take paths. The bytes
// go to an anonymous memory file, named through /proc, so no disk is touched
// and every run sees a regular file of exactly the input's length.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tav::fuzz {

inline std::string InputAsFile(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) __builtin_trap();
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) __builtin_trap();
        done += static_cast<std::size_t>(n);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace tav::fuzz

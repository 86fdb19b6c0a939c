// One open device of the command interpreter. The interpreter has already
// taken the verb and the device name off the command; a device gets the words
// after the name (without "wait" and "notify") and answers with a result code
// and, for "status", a reply text.
#pragma once

#include "music/mci/MciCommand.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::mci {

class Device {
public:
    virtual ~Device() = default;
    virtual std::uint32_t Play(const std::vector<Word>& words) = 0;
    virtual std::uint32_t Stop() = 0;
    virtual std::uint32_t Pause() = 0;
    virtual std::uint32_t Resume() = 0;
    virtual std::uint32_t Seek(const std::vector<Word>& words) = 0;
    virtual std::uint32_t Set(const std::vector<Word>& words) = 0;
    virtual std::uint32_t Status(const std::vector<Word>& words, std::string& reply) = 0;
};

// Reads "from x" and "to y" (each at most once, in any order) out of words.
// Returns 0 or an error code.
std::uint32_t ReadRange(const std::vector<Word>& words, std::string& from, bool& hasFrom, std::string& to, bool& hasTo);

}  // namespace tav::mci

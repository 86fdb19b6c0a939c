// libFuzzer entry for the music command-string parser: any text is split
// into words and parsed as a command. No word can be longer than the text.
#include "music/mci/MciCommand.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<tav::mci::Word> words;
    if (tav::mci::SplitWords(text, words) == 0)
        for (const tav::mci::Word& word : words)
            if (word.text.size() > size) __builtin_trap();
    tav::mci::Command command;
    tav::mci::ParseCommand(text, command);
    return 0;
}

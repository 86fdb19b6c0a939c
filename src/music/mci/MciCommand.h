// Splitting of a multimedia command string into its words.
//
// A command is "verb device [keyword value ...]". Words are separated by blanks
// or tabs; a word in double quotes may hold blanks. The "open" command is the
// one place where an unquoted file name may hold blanks and quotes: it runs up
// to the last "type" keyword (or, without one, up to the first open keyword),
// so "open /home/a b/song.mp3 type MPEGVideo Alias x" names "/home/a b/song.mp3".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"

namespace tav::mci {

struct Word {
    std::string text;  // without the quotes
    bool quoted = false;
};

struct Command {
    std::string verb;         // lower case
    std::string device;       // device name, alias or (for open) file name, as written
    std::vector<Word> words;  // the words after the device
};

// Splits text into words. Returns 0 or an error code (unclosed quote).
std::uint32_t SplitWords(std::string_view text, std::vector<Word>& words);

// Parses a whole command. Returns 0 or an error code.
std::uint32_t ParseCommand(std::string_view text, Command& command);

// Reads an unsigned decimal integer that fills the whole text.
bool ParseUnsigned(std::string_view text, std::uint64_t& value);

}  // namespace tav::mci

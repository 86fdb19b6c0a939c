// Small text helpers of the data files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav {

// Removes blanks (and, with tabs = true, tabs) at both ends.
std::string_view TrimBlanks(std::string_view text, bool tabs = false);

// ASCII case-insensitive equality; other bytes must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The longest prefix of text of at most maxBytes bytes that does not end inside
// a UTF-8 multi-byte character.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace tav

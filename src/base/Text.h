// Small text helpers: blanks, ASCII case and UTF-8 cuts. Names, keywords and
// file extensions compare in ASCII case only, whatever the user's locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Removes blanks (and, with tabs = true, tabs) at both ends.
std::string_view TrimBlanks(std::string_view text, bool tabs = false);

// ASCII letters in one case; every other byte is kept as it is.
char LowerAscii(char c);
char UpperAscii(char c);
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);

// The words joined with single blanks, as a command line is read.
std::string JoinWithBlanks(const std::vector<std::string>& words);

// ASCII case-insensitive equality; other bytes must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The longest prefix of text of at most maxBytes bytes that does not end inside
// a UTF-8 multi-byte character.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace tav

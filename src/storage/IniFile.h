// "Tavrelle.ini": a private-profile text file.
//
// Semantics kept from the private-profile calls: section and key names match
// case-insensitively (ASCII) and ignoring surrounding blanks; values are
// trimmed (a pair of matching quotes around a value is removed) and cut at
// 255 bytes on a UTF-8 character boundary; lines starting with ";" are
// comments. Writing keeps every other section, key, comment and blank line as
// it was; an existing key is replaced in place, a new key is appended after the
// last entry of its section, a new section is appended to the end of the file.
// Text is UTF-8; both "\n" and "\r\n" line ends are read, and written lines end
// with "\n" (existing lines keep their own ends).
#pragma once

#include <string>

namespace tav {

inline constexpr const char* kIniSection = "Section";

// "BGMﾌｧｲﾙ_" + n and "半透明_" + n (UTF-8).
std::string MusicFileKey(int group);
std::string OpacityKey(int group);

// The longest INI text read: the file's first MiB. A longer file is read up
// to that point (its keys beyond it are not seen).
inline constexpr std::size_t kMaxIniReadBytes = 1024 * 1024;

// The text of the file (its first kMaxIniReadBytes), or "" when it is absent
// or cannot be read.
std::string ReadIniText(const std::string& file);

// The value of key in section of file, or "" when the file, section or key is missing.
std::string GetIniString(const std::string& section, const std::string& key, const std::string& file);

// Sets key in section of file to value (atomic replace of the file). Section
// and key are cut to 127 bytes; a line break in value ends the value there.
// Returns false when the file could not be written, and when the present file
// cannot be read (it is then left as it is).
bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);

// The same two operations on text already in memory (used by the file
// versions; the tests use them directly).
std::string GetIniValueFromText(const std::string& text, const std::string& section, const std::string& key);
std::string SetIniValueInText(const std::string& text, const std::string& section, const std::string& key,
                              const std::string& value);

}  // namespace tav

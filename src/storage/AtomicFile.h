// Whole-file reads and atomic replacement of the data files.
//
// Every data file is replaced, never rewritten in place: the new contents go
// to a temporary file beside the old one, are flushed to disk, and the
// temporary file is renamed over the old name. A crash at any moment leaves
// either the old file or the new one, whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tav {

using Bytes = std::vector<std::uint8_t>;

// The whole file, or std::nullopt when it cannot be opened or read (or is a folder).
std::optional<Bytes> ReadWholeFile(const std::string& path);

// Size of the file in bytes, or std::nullopt when it does not exist.
std::optional<std::uint64_t> FileSize(const std::string& path);

// Replaces path by a file holding bytes (temporary file, flush, rename).
// Returns false, leaving the old file untouched, when any step fails.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text);

// Creates path as an empty file when nothing exists there; an existing file
// is left alone. Returns true when a file exists afterwards.
bool EnsureFileExists(const std::string& path);

// Test hook run after the temporary file is written and flushed and before it
// is renamed; returning false makes the write fail there, as a crash at that
// moment would. Pass an empty function to remove it.
void SetBeforeRenameHookForTests(std::function<bool(const std::string& tempPath)> hook);

}  // namespace tav

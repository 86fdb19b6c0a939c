// Picture list files "Tavrelle_" + n + ".rdm": 255-byte records, no header;
// each record is one picture path, left-aligned and padded with blanks.
// The number of entries is the file length / 255; a trailing partial record is
// ignored. Paths are UTF-8; a path longer than 255 bytes is cut at the last
// character boundary at or before 255 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tav {

inline constexpr std::size_t kListRecordSize = 255;

// Full path of the list file of group n in the data folder.
std::string PictureListPath(const std::string& folder, int group);

// The record of one entry: cut to 255 bytes on a character boundary, padded
// with blanks.
std::string ListRecordFor(const std::string& path);

// Number of whole records. Like opening the list, this creates an empty file
// when none exists.
std::size_t CountListRecords(const std::string& path);

// Records 1 ... N, each trimmed of blanks at both ends; empty records stay as
// empty entries. Creates an empty file when none exists. A show plays at most
// kMaxShownEntries pictures, so by default records beyond them are not read;
// an editor that writes the list back reads more (see kMaxEditedEntries).
inline constexpr std::size_t kMaxShownEntries = 32767;
std::vector<std::string> ReadPictureListFile(const std::string& path, std::size_t maxEntries = kMaxShownEntries);

// The most entries an editor reads from one list file: as many as a file that
// may be rewritten holds (kMaxRewrittenFileBytes).
std::size_t MaxEditedEntries();

// The bytes of a list file holding the given entries as records 1 ... count.
std::string ListFileContents(const std::vector<std::string>& entries);

// Replaces the file by the given entries as records 1 ... count (an empty
// list leaves an empty file). Atomic: the old list is never lost on failure.
bool WritePictureListFile(const std::string& path, const std::vector<std::string>& entries);

}  // namespace tav

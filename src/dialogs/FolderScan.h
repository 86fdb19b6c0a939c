// Finding the pictures of one folder for the settings dialog's folder command.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tav {

// Attribute values of a directory entry, as the folder command compares them.
inline constexpr int kAttributeNormal = 0;
inline constexpr int kAttributeReadOnly = 1;  // owner-write permission bit off
inline constexpr int kAttributeHidden = 2;    // name starting with "."
inline constexpr int kAttributeArchive = 32;  // never set on this system

// The attributes of a regular file (a symbolic link counts as what it points
// to), or -1 when path is no regular file or cannot be read.
int FileAttributes(const std::string& path);

// True when name matches the pattern ("*" any run, "?" one character),
// ignoring the case of ASCII letters.
bool MatchesNamePattern(const std::string& name, const std::string& pattern);

// The found-path count is a signed 16-bit number; a folder command stops
// adding once it holds this many paths.
inline constexpr std::size_t kMaxFoundPaths = 32767;

struct FolderScanHooks {
    // Called with a description when a pattern cannot be scanned.
    std::function<void(const std::string& description)> ReportError;
    // Called after each found path, to let pending events run.
    std::function<void()> LetEventsRun;
};

// Appends to found, in name order, the regular files of the pattern's folder
// that match its name part and whose attributes equal attribute exactly.
// Returns false when the folder could not be read (after reporting it).
bool ScanPattern(const std::string& pattern, int attribute, std::vector<std::string>& found,
                 const FolderScanHooks& hooks);

// The name patterns of picture files, in the order the folder command scans
// them and the file dialog lists them: the four first formats, then the other
// names JPEG files go by, then the newer formats.
// clang-format off
inline constexpr const char* kPicturePatterns[] = {
    "*.bmp", "*.gif", "*.jpg", "*.wmf",
    "*.jpeg", "*.jpe", "*.jfif",
    "*.png", "*.webp", "*.tif", "*.tiff", "*.heic", "*.heif", "*.avif",
};
// clang-format on

// All pictures of a folder as the folder command adds them: normal, then
// archive, then read-only files, each pass in the order of kPicturePatterns.
// Hidden files and files with more than one attribute are left out;
// subfolders are not searched. A pattern that fails is skipped in the later
// passes; the first failure of a scan is reported, and no other, since every
// pattern reads the same folder and would only repeat it.
std::vector<std::string> ScanPictureFolder(const std::string& folder, const FolderScanHooks& hooks);

}  // namespace tav

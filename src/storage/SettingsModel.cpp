#include "storage/SettingsModel.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "storage/AtomicFile.h"

namespace tav {

const std::string& PictureListData::Entry(int i) const {
    static const std::string empty;
    if (i < 1 || i > static_cast<int>(entries_.size())) return empty;
    return entries_[static_cast<std::size_t>(i - 1)];
}

void PictureListData::Assign(std::vector<std::string> entries) {
    if (entries.size() > static_cast<std::size_t>(kMaxEntries)) entries.resize(kMaxEntries);
    entries_ = std::move(entries);
}

std::string DataFile(const std::string& folder, const std::string& name) { return folder + "/" + name; }

std::string PictureListFileName(int group) { return "Tavrelle_" + std::to_string(group) + ".rdm"; }

bool FileExists(const std::string& path) {
    std::string p = path;
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return false;
    // Only a regular file counts, and the check never opens a pipe or device:
    // that would wait for a writer and keep every mode from starting.
    return IsReadableRegularFile(p);
}

bool FolderExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(AddBackslash(path), ec);
}

std::string AddBackslash(const std::string& path) {
    std::string p = path;
    while (!p.empty() && p.back() == ' ') p.pop_back();
    if (p.empty() || p.back() != '/') p += '/';
    return p;
}

bool IsWindowsNT() { return true; }

}  // namespace tav

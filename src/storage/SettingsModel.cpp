#include "storage/SettingsModel.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "storage/AtomicFile.h"

namespace tav {

std::string DataFolder;

namespace {

std::optional<std::string>& DataFolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

}  // namespace

const std::string& PictureListData::Entry(int i) const {
    static const std::string empty;
    if (i < 1 || i > static_cast<int>(entries_.size())) return empty;
    return entries_[static_cast<std::size_t>(i - 1)];
}

void PictureListData::Assign(std::vector<std::string> entries) {
    if (entries.size() > static_cast<std::size_t>(kMaxEntries)) entries.resize(kMaxEntries);
    entries_ = std::move(entries);
}

std::string DataFolderLocation() {
    if (DataFolderOverride()) return *DataFolderOverride();
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/Tavrelle";
}

void SetDataFolderOverride(std::optional<std::string> folder) { DataFolderOverride() = std::move(folder); }

std::string DataFile(const std::string& name) { return DataFolder + "/" + name; }

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

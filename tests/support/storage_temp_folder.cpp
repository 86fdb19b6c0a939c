#include "support/storage_temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/Settings.h"

namespace tav::test {

StorageTempFolder::StorageTempFolder() : data_(root_.File("Tavrelle")) {
    ResetSharedState();
    SetDataFolderOverride(data_);
    SetScreenSizeFunction({});
    SetBeforeRenameHookForTests({});
}

StorageTempFolder::~StorageTempFolder() {
    SetDataFolderOverride(std::nullopt);
    SetScreenSizeFunction({});
    SetBeforeRenameHookForTests({});
    ResetSharedState();
}

void StorageTempFolder::CreateData() const {
    std::filesystem::create_directories(data_);
    DataFolder = data_;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tav::test

// A throw-away data folder for storage and entry tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testmedia/TempFolder.h"

namespace tav::test {

// A temporary folder with the data folder pointed at <folder>/Tavrelle (not
// created) and the shared state reset; both are put back and everything is
// removed again on destruction.
class StorageTempFolder {
public:
    StorageTempFolder();
    ~StorageTempFolder();
    StorageTempFolder(const StorageTempFolder&) = delete;
    StorageTempFolder& operator=(const StorageTempFolder&) = delete;

    const std::string& Root() const { return root_.Path(); }
    // <root>/Tavrelle, the data folder of the test.
    const std::string& Data() const { return data_; }
    // Creates the data folder and sets DataFolder to it.
    void CreateData() const;
    // <data>/name
    std::string File(const std::string& name) const { return data_ + "/" + name; }

private:
    TempFolder root_;
    std::string data_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace tav::test

// A throw-away data folder for storage and entry tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav::test {

// Creates an empty temporary folder, points the data folder at
// <folder>/Tavrelle (not created) and resets the shared state; everything is
// removed again on destruction.
class StorageTempFolder {
public:
    StorageTempFolder();
    ~StorageTempFolder();
    StorageTempFolder(const StorageTempFolder&) = delete;
    StorageTempFolder& operator=(const StorageTempFolder&) = delete;

    const std::string& Root() const { return root_; }
    // <root>/Tavrelle, the data folder of the test.
    const std::string& Data() const { return data_; }
    // Creates the data folder and sets DataFolder to it.
    void CreateData() const;
    // <data>/name
    std::string File(const std::string& name) const { return data_ + "/" + name; }

private:
    std::string root_;
    std::string data_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace tav::test

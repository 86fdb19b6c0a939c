#include "storage/PictureListFile.h"

#include "base/Text.h"
#include "storage/SettingsModel.h"
#include "storage/AtomicFile.h"

namespace tav {

std::string PictureListPath(const std::string& folder, int group) {
    return DataFile(folder, PictureListFileName(group));
}

std::string ListRecordFor(const std::string& path) {
    std::string record = CutUtf8(path, kListRecordSize);
    record.resize(kListRecordSize, ' ');
    return record;
}

std::size_t CountListRecords(const std::string& path) {
    EnsureFileExists(path);
    return static_cast<std::size_t>(FileSize(path).value_or(0) / kListRecordSize);
}

std::size_t MaxEditedEntries() { return kMaxRewrittenFileBytes / kListRecordSize; }

std::vector<std::string> ReadPictureListFile(const std::string& path, std::size_t maxEntries) {
    static_assert(kMaxShownEntries == PictureListData::kMaxEntries);
    EnsureFileExists(path);
    std::vector<std::string> entries;
    const FileRead file = ReadDataFile(path, maxEntries * kListRecordSize);
    const std::size_t count = file.bytes.size() / kListRecordSize;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* record = reinterpret_cast<const char*>(file.bytes.data()) + i * kListRecordSize;
        entries.emplace_back(TrimBlanks(std::string_view(record, kListRecordSize)));
    }
    return entries;
}

std::string ListFileContents(const std::vector<std::string>& entries) {
    std::string contents;
    contents.reserve(entries.size() * kListRecordSize);
    for (const std::string& entry : entries) contents += ListRecordFor(entry);
    return contents;
}

bool WritePictureListFile(const std::string& path, const std::vector<std::string>& entries) {
    return WriteFileAtomically(path, ListFileContents(entries));
}

}  // namespace tav

// libFuzzer entry for the readers of the data files. The first byte chooses
// the file (0 settings record, 1 picture list, 2 schedule, 3 INI text); the
// rest is its contents. The INI text is also written to and read back: a key
// set in any text must read back as set.
#include <cstddef>
#include <cstdint>

#include "fuzz_input_file.h"
#include "startup/SharedState.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "storage/SettingsRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = tav::fuzz::InputAsFile(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        tav::SaverSettingsData settings;
        tav::ReadSettingsRecord(path, settings);
        break;
    }
    case 1:
        for (const std::string& entry : tav::ReadPictureListFile(path))
            if (entry.size() > tav::kListRecordSize) __builtin_trap();
        break;
    case 2: tav::LoadScheduleOrBlank(path).Cell(3, 15); break;
    default: {
        const std::string text = tav::ReadIniText(path);
        for (int n = 0; n < tav::kGroupCount; ++n) {
            tav::GetIniValueFromText(text, tav::kIniSection, tav::MusicFileKey(n));
            tav::GetIniValueFromText(text, tav::kIniSection, tav::OpacityKey(n));
        }
        const std::string written = tav::SetIniValueInText(text, tav::kIniSection, tav::OpacityKey(3), "123");
        if (tav::GetIniValueFromText(written, tav::kIniSection, tav::OpacityKey(3)) != "123") __builtin_trap();
        break;
    }
    }
    return 0;
}

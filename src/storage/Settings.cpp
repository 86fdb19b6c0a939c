#include "storage/Settings.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "storage/AtomicFile.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/SettingsRecord.h"

namespace tav {

namespace {

// How long the start waits for the music files to say whether they exist.
constexpr std::chrono::milliseconds kMusicCheckWait{100};

// Whether each music file exists, each asked on a thread of its own. A file
// on a share that does not answer within kMusicCheckWait is taken to exist:
// the start does not wait for it, the setting is kept, and the player copes
// with a file that never comes.
std::map<std::string, bool> MusicFilesExist(const std::vector<std::string>& paths) {
    struct Answers {
        std::mutex mutex;
        std::condition_variable answered;
        std::map<std::string, std::optional<bool>> exists;
    };
    auto answers = std::make_shared<Answers>();
    for (const std::string& path : paths) answers->exists[path];
    for (const auto& [path, exists] : answers->exists) {
        try {
            std::thread([answers, path = path] {
                const bool found = FileExists(path);
                std::lock_guard lock(answers->mutex);
                answers->exists[path] = found;
                answers->answered.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            std::lock_guard lock(answers->mutex);
            answers->exists[path] = FileExists(path);
        }
    }
    std::map<std::string, bool> result;
    std::unique_lock lock(answers->mutex);
    answers->answered.wait_for(lock, kMusicCheckWait, [&] {
        for (const auto& [path, exists] : answers->exists)
            if (!exists) return false;
        return true;
    });
    for (const auto& [path, exists] : answers->exists) result[path] = exists.value_or(true);
    return result;
}

constexpr std::int16_t kDefaultOpacity = 200;

bool ValidGroup(int n) { return n >= 0 && n < kGroupCount; }

}  // namespace

std::optional<std::int16_t> ParseOpacity(const std::string& text) {
    std::string_view t = text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    // from_chars reads the C locale's format whatever locale Qt has set.
    double value = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return std::nullopt;
    const double floored = std::floor(value);
    if (floored < std::numeric_limits<std::int16_t>::min() || floored > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(floored);
}

SaverSettingsData ReadAllSettings(const std::string& folder) {
    const std::string recordPath = DataFile(folder, kSettingsFileName);
    SaverSettingsData settings;
    // Only a missing or short file is replaced; one that cannot be read keeps
    // what the user has in it, and this run goes on with the defaults.
    if (ReadSettingsRecord(recordPath, settings) == RecordRead::Missing) WriteSettingsRecord(recordPath, settings);
    // Every reader indexes the groups with CurrentGroup; a damaged value must
    // not lead outside them.
    if (!ValidGroup(settings.CurrentGroup)) settings.CurrentGroup = 0;

    const std::string ini = ReadIniText(DataFile(folder, kIniFileName));
    std::vector<std::string> musicFiles;
    for (int n = 0; n < kGroupCount; ++n)
        if (std::string music = GetIniValueFromText(ini, kIniSection, MusicFileKey(n)); !music.empty())
            musicFiles.push_back(std::move(music));
    const std::map<std::string, bool> musicExists = MusicFilesExist(musicFiles);
    for (int n = 0; n < kGroupCount; ++n) {
        GroupSettings& group = settings.Groups[static_cast<std::size_t>(n)];
        const std::string music = GetIniValueFromText(ini, kIniSection, MusicFileKey(n));
        if (!music.empty() && musicExists.at(music)) {
            group.MusicFile = music;
        } else {
            group.MusicFile.clear();
            if (group.MusicMode == 2) group.MusicMode = 0;
        }
        group.Opacity = ParseOpacity(GetIniValueFromText(ini, kIniSection, OpacityKey(n))).value_or(kDefaultOpacity);
    }
    return settings;
}

CurrentValues GroupValues(const SaverSettingsData& settings, int n, ScreenSize screen) {
    CurrentValues values;
    const GroupSettings& g = settings.Groups[static_cast<std::size_t>(ValidGroup(n) ? n : 0)];
    switch (g.AreaSize) {
    case 1: values.AreaWidth = 800, values.AreaHeight = 600; break;
    case 2: values.AreaWidth = 1024, values.AreaHeight = 768; break;
    case 3: values.AreaWidth = screen.Width, values.AreaHeight = screen.Height; break;
    default: values.AreaWidth = 640, values.AreaHeight = 480; break;
    }
    values.AreaCentreX = values.AreaWidth / 2.0;
    values.AreaCentreY = values.AreaHeight / 2.0;
    values.Settings() = g;
    return values;
}

bool WriteAllSettings(const std::string& folder, const SaverSettingsData& settings,
                      const std::vector<std::string>& currentGroupPictures, std::string* failedFile) {
    FileTransaction save;
    auto failed = [&](const std::string& path) {
        if (failedFile) *failedFile = path;
        return false;
    };
    if (ValidGroup(settings.CurrentGroup)) {
        const std::string list = ListFileContents(currentGroupPictures);
        if (!save.Stage(PictureListPath(folder, settings.CurrentGroup), Bytes(list.begin(), list.end())))
            return failed(save.FailedPath());
    }
    const std::string recordPath = DataFile(folder, kSettingsFileName);
    const std::optional<Bytes> record = SettingsFileContents(recordPath, settings);
    if (!record || !save.Stage(recordPath, *record)) return failed(recordPath);
    // All twenty keys go into one new file, replaced once, rather than twenty
    // successive replacements of the same file.
    const std::string ini = DataFile(folder, kIniFileName);
    // An INI file that cannot be read is left as it is: writing only our keys
    // would drop everything else the user keeps in it.
    const std::optional<Bytes> old = ContentsToKeep(ini);
    if (!old) return failed(ini);
    std::string text(old->begin(), old->end());
    for (int n = 0; n < kGroupCount; ++n) {
        const GroupSettings& g = settings.Groups[static_cast<std::size_t>(n)];
        text = SetIniValueInText(text, kIniSection, MusicFileKey(n), g.MusicFile);
        text = SetIniValueInText(text, kIniSection, OpacityKey(n), std::to_string(g.Opacity));
    }
    if (!save.Stage(ini, Bytes(text.begin(), text.end()))) return failed(ini);
    if (!save.Commit()) return failed(save.FailedPath());
    return true;
}

}  // namespace tav

// The settings model as plain values (what the settings files hold, one
// group's values as the show uses them, a run's picture list), where the data
// files are, and the small file checks every module uses. Loading returns these
// values and saving takes them (storage/Settings.h); the program's one copy of
// them lives at the top of the program.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav {

// Number of picture groups; groups are numbered 0 ... 9.
inline constexpr int kGroupCount = 10;

// The slide-show settings of one picture group. Field order and widths are
// those of the settings record ("Tavrelle_S.rdm"); MusicFile and Opacity come
// from "Tavrelle.ini". The member initialisers are the defaults of a new file.
struct GroupSettings {
    std::int16_t PicturePreview = 0;   // thumbnail preview in the settings dialog (0/1)
    std::int16_t AreaSize = 0;         // 0 = 640x480, 1 = 800x600, 2 = 1024x768, 3 = screen
    std::int16_t FitMode = 1;          // 0 = natural size, otherwise scaled to the area
    std::int16_t EffectOrder = 0;      // 0 = numeric order, 1 = random without repeats
    std::int16_t PictureOrder = 0;     // 0 = list order, 1 = random without repeats
    std::int16_t IntervalSeconds = 1;  // 0 ... 10
    std::int32_t BackColor = 0;        // COLORREF 0x00BBGGRR
    std::int16_t MusicMode = 0;        // 0 = none, 1 = CD audio, 2 = music file
    std::int16_t CdTrack = 0;          // 0 = whole disc, n = repeat track n
    std::int16_t EffectSpeed = 2;      // 1 ... 24
    std::string MusicFile;             // full path, empty = none
    std::int16_t Opacity = 200;        // 1 ... 255, 255 = opaque

    bool operator==(const GroupSettings&) const = default;
};

// Everything the settings files hold. ReadAllSettings reads them.
struct SaverSettingsData {
    std::int16_t CurrentGroup = 0;  // default group, also the group the settings dialog edits
    std::int16_t MouseLock = 0;     // 1 = mouse movement and clicks do not end the show
    std::array<GroupSettings, kGroupCount> Groups{};

    bool operator==(const SaverSettingsData&) const = default;
};

// The values of one group as the slide show (and the settings dialog) use
// them: the group's settings, and its picture area in pixels. GroupValues
// makes them, resolving AreaSize to pixels.
struct CurrentValues : GroupSettings {
    std::int32_t AreaWidth = 640;
    std::int32_t AreaHeight = 480;
    double AreaCentreX = 320.0;  // AreaWidth / 2
    double AreaCentreY = 240.0;  // AreaHeight / 2

    GroupSettings& Settings() { return *this; }
    const GroupSettings& Settings() const { return *this; }
    bool operator==(const CurrentValues&) const = default;
};

// The picture paths of one slide-show run. Entries are numbered 1 ... Count(),
// as the show counts them; Count() is a signed 16-bit number, so a list file
// holding more than 32767 records is read as its first 32767.
class PictureListData {
public:
    static constexpr int kMaxEntries = 32767;

    std::int16_t Count() const { return static_cast<std::int16_t>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    // Entry i, 1 <= i <= Count(). An index outside that range gives an empty path.
    const std::string& Entry(int i) const;
    // Replaces the list; entries beyond kMaxEntries are dropped.
    void Assign(std::vector<std::string> entries);
    void Clear() { entries_.clear(); }
    // The entries, 0-based (Entries()[0] is entry 1).
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

// Every reader and writer of the data files takes the data folder (without a
// trailing "/") as its first argument: where it is, the top of the program
// decides once per run.

// folder + "/" + name, e.g. DataFile(folder, "Tavrelle.ini").
std::string DataFile(const std::string& folder, const std::string& name);

// Names of the data files inside the data folder.
inline constexpr const char* kSettingsFileName = "Tavrelle_S.rdm";
inline constexpr const char* kIniFileName = "Tavrelle.ini";
inline constexpr const char* kScheduleFileName = "Tavrelle_P.rdm";
// "Tavrelle_" + n + ".rdm", n one decimal digit.
std::string PictureListFileName(int group);

// True when path (a trailing "/" removed) names a regular file that can be
// opened for reading. Never opens a pipe or device, never blocks, never throws.
bool FileExists(const std::string& path);
// True when path names an existing folder. Never throws.
bool FolderExists(const std::string& path);
// Right-trims blanks and appends "/" unless the text already ends with one.
std::string AddBackslash(const std::string& path);
// Always true here: the desktop's own locker owns screen-saver passwords, so
// the saver neither changes nor asks for one.
bool IsWindowsNT();

}  // namespace tav

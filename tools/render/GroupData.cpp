#include "render/GroupData.h"

#include "music/BackgroundMusic.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"

namespace tav {

bool ReadGroup(int group, GroupData& data, std::string& error) {
    DataFolder = DataFolderLocation();
    SetScreenSizeFunction([] { return ScreenSize{kScreenWidth, kScreenHeight}; });
    // The show replaces a missing or short settings file by the defaults
    // before reading it; here the defaults are taken without writing them.
    SaverSettingsData probe;
    if (FolderExists(DataFolder) &&
        ReadSettingsRecord(DataFile(DataFolder, kSettingsFileName), probe) != RecordRead::Missing)
        LoadSettings();
    else
        SaverSettings = SaverSettingsData{};
    SelectGroup(group);
    data.values = Current;

    // Reading a list makes an empty file where there is none; a missing list
    // is an empty one.
    const std::string list = PictureListPath(DataFolder, group);
    if (FileExists(list)) data.pictures = ReadPictureListFile(list);
    PictureListData shown;
    shown.Assign(data.pictures);
    if (shown.Count() < 2) {
        error = "group " + std::to_string(group) + " has " +
                (shown.Count() == 0 ? std::string("no pictures") : "only one picture") + " in " + DataFolder +
                "; a slide show needs two";
        return false;
    }
    data.pictures = shown.Entries();

    // The show plays a music file by the last three letters of its name;
    // CD audio has no file to put in a video.
    if (data.values.MusicMode == 2 && MusicFileKindOf(data.values.MusicFile) != MusicFileKind::Other)
        data.music = data.values.MusicFile;
    return true;
}

}  // namespace tav

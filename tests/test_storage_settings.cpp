// The settings record, the loader's rules, group selection and the save.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "base/LittleEndian.h"
#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/GroupChoice.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "storage/SettingsRecord.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::StorageTempFolder;
using test::WriteBytes;
using test::WriteText;

// Settings with a different value in every field of every group, negative
// values and all four bytes of the colour included.
SaverSettingsData DistinctSettings() {
    SaverSettingsData s;
    s.CurrentGroup = 7;
    s.MouseLock = 1;
    for (int g = 0; g < kGroupCount; ++g) {
        GroupSettings& x = s.Groups[static_cast<std::size_t>(g)];
        x.PicturePreview = static_cast<std::int16_t>(100 + g);
        x.AreaSize = static_cast<std::int16_t>(200 + g);
        x.FitMode = static_cast<std::int16_t>(300 + g);
        x.EffectOrder = static_cast<std::int16_t>(400 + g);
        x.PictureOrder = static_cast<std::int16_t>(-500 - g);
        x.IntervalSeconds = static_cast<std::int16_t>(600 + g);
        x.BackColor = static_cast<std::int32_t>(0x80112233u + static_cast<std::uint32_t>(g));
        x.MusicMode = static_cast<std::int16_t>(700 + g);
        x.CdTrack = static_cast<std::int16_t>(800 + g);
        x.EffectSpeed = static_cast<std::int16_t>(900 + g);
    }
    return s;
}

// The same settings laid out by hand at the record's offsets.
std::vector<std::uint8_t> DistinctRecordBytes() {
    std::vector<std::uint8_t> b(224, 0xEE);
    auto put16 = [&](std::size_t at, int v) { WriteI16(b.data() + at, static_cast<std::int16_t>(v)); };
    put16(0, 7);
    put16(2, 1);
    for (int g = 0; g < 10; ++g) {
        const std::size_t o = 2 * static_cast<std::size_t>(g);
        put16(4 + o, 100 + g);
        put16(24 + o, 200 + g);
        put16(44 + o, 300 + g);
        put16(64 + o, 400 + g);
        put16(84 + o, -500 - g);
        put16(104 + o, 600 + g);
        const std::size_t c = 124 + 4 * static_cast<std::size_t>(g);
        b[c] = static_cast<std::uint8_t>(0x33 + g);
        b[c + 1] = 0x22;
        b[c + 2] = 0x11;
        b[c + 3] = 0x80;
        put16(164 + o, 700 + g);
        put16(184 + o, 800 + g);
        put16(204 + o, 900 + g);
    }
    return b;
}

std::string DescribeDifference(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want) {
    if (got.size() != want.size()) return "size " + std::to_string(got.size()) + " != " + std::to_string(want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            return "first difference at offset " + std::to_string(i) + ": " + std::to_string(got[i]) +
                   " != " + std::to_string(want[i]);
    return "";
}

TEST(SettingsRecord, EncodesAndDecodesTheHandBuiltLayout) {
    const auto record = EncodeSettingsRecord(DistinctSettings());
    const std::vector<std::uint8_t> encoded(record.begin(), record.end());
    const std::string diff = DescribeDifference(encoded, DistinctRecordBytes());
    EXPECT_TRUE(diff.empty()) << diff;

    SaverSettingsData decoded;
    DecodeSettingsRecord(DistinctRecordBytes().data(), decoded);
    EXPECT_EQ(decoded, DistinctSettings());
}

TEST(LoadSettings, ShortFilesAreReplacedByTheDefaultsAtOnce) {
    struct Case {
        const char* name;
        int size;  // -1: no file
    };
    for (const Case c : {Case{"absent", -1}, Case{"empty", 0}, Case{"short", 223}}) {
        SCOPED_TRACE(c.name);
        StorageTempFolder folder;
        folder.CreateData();
        const std::string path = folder.File("Tavrelle_S.rdm");
        if (c.size >= 0) WriteBytes(path, std::vector<std::uint8_t>(static_cast<std::size_t>(c.size), 0x05));

        LoadSettings();

        EXPECT_EQ(SaverSettings, SaverSettingsData{});
        const auto bytes = ReadBytes(path);
        ASSERT_EQ(bytes.size(), 224u);
        // Every group: 0, 0, 1, 0, 0, 1, 0, 0, 0, 2 in record order.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const bool fitOrInterval = (i >= 44 && i < 64 && i % 2 == 0) || (i >= 104 && i < 124 && i % 2 == 0);
            const std::uint8_t want = fitOrInterval ? 1 : (i >= 204 && i % 2 == 0) ? 2 : 0;
            ASSERT_EQ(bytes[i], want) << "offset " << i;
        }
        EXPECT_EQ(Current.AreaWidth, 640);
        EXPECT_EQ(Current.Opacity, 200);
    }
}

TEST(LoadSettings, ReadsALongerFileAndKeepsItsExtraBytesOnSave) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string path = folder.File("Tavrelle_S.rdm");
    auto bytes = DistinctRecordBytes();
    bytes[0] = 2;  // CurrentGroup 2, so that the loader keeps it
    for (int i = 0; i < 76; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    WriteBytes(path, bytes);

    LoadSettings();
    EXPECT_EQ(SaverSettings.CurrentGroup, 2);
    EXPECT_EQ(SaverSettings.Groups[9].CdTrack, 809);
    EXPECT_EQ(ReadBytes(path), bytes) << "loading must not rewrite a valid file";

    SaverSettings.MouseLock = 0;
    ASSERT_TRUE(WriteSettingsRecord(path, SaverSettings));
    const auto saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), 300u);
    EXPECT_EQ(saved[2], 0);
    EXPECT_TRUE(std::equal(saved.begin() + 224, saved.end(), bytes.begin() + 224));
}

// Runs fn in a child process as an ordinary user when we are root (root reads
// every file, whatever its permissions), else here. Returns fn's result.
int AsOrdinaryUser(bool drop, const std::function<int()>& fn) {
    if (!drop || ::geteuid() != 0) return fn();
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t nogroup = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nogroup, nogroup, nogroup) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(100);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

// Something under a data file's name that cannot be read is neither replaced
// nor truncated: the run goes on with the defaults, and a save says it failed.
TEST(UnreadableDataFiles, AreNeverReplaced) {
    enum Kind { Folder, Pipe, NoPermission };
    const std::vector<std::uint8_t> kept(300, 'q');
    for (const char* name : {"Tavrelle_S.rdm", "Tavrelle.ini", "Tavrelle_0.rdm", "Tavrelle_P.rdm"}) {
        for (const Kind kind : {Folder, Pipe, NoPermission}) {
            SCOPED_TRACE(std::string(name) + (kind == Folder ? " folder" : kind == Pipe ? " pipe" : " unreadable"));
            StorageTempFolder folder;
            folder.CreateData();
            // The ordinary user could replace files in the folder, so only
            // the program's own rule keeps it from doing so.
            ::chmod(folder.Root().c_str(), 0755);
            ::chmod(folder.Data().c_str(), 0777);
            const std::string path = folder.File(name);
            const bool schedule = std::string(name) == "Tavrelle_P.rdm";
            if (kind == Folder) std::filesystem::create_directory(path);
            if (kind == Pipe) {
                ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
            }
            if (kind == NoPermission) {
                WriteBytes(path, kept);
                ::chmod(path.c_str(), 0);
            }
            const int failures = AsOrdinaryUser(kind == NoPermission, [&] {
                int bad = 0;
                LoadSettings();
                if (!(SaverSettings == SaverSettingsData{}) || Current.Opacity != 200) bad |= 1;
                ChooseRunList(DataFolder, ClockReading{}, 0);
                if (SaveAllSettings({"/a.jpg", "/b.jpg"}) == !schedule) bad |= 2;
                if (WriteScheduleFile(SchedulePath(DataFolder), ScheduleRecord{}) == schedule) bad |= 4;
                return bad;
            });
            EXPECT_EQ(failures, 0) << "1: not the defaults, 2: settings save, 4: schedule save";
            struct stat st {};
            ASSERT_EQ(::lstat(path.c_str(), &st), 0);
            EXPECT_TRUE(kind != Folder || S_ISDIR(st.st_mode));
            EXPECT_TRUE(kind != Pipe || S_ISFIFO(st.st_mode));
            if (kind == NoPermission) {
                ::chmod(path.c_str(), 0644);
                EXPECT_EQ(ReadBytes(path), kept);
            }
            for (const std::string& entry : test::FolderEntries(folder.Data()))
                EXPECT_EQ(entry.find(".tmp-"), std::string::npos) << entry;
        }
    }
}

// Temporary files of writers that died before renaming are removed at the
// next start; a live writer's file, and names that are not ours, are kept.
TEST(LeftoverTemporaryFiles, OnlyThoseOfDeadProcessesGo) {
    StorageTempFolder folder;
    folder.CreateData();
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string live = std::to_string(::getppid());
    const std::string gone = std::to_string(dead);
    const std::vector<std::string> names = {"Tavrelle_S.rdm.tmp-" + gone + "-0", "Tavrelle.ini.tmp-" + gone + "-17",
                                            "Tavrelle_S.rdm.tmp-" + live + "-3", "notes.tmp-" + gone,
                                            "notes.tmp-" + gone + "-x",          "Tavrelle_0.rdm"};
    for (const std::string& n : names) WriteText(folder.File(n), "x");
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder.Data()), 2);
    EXPECT_EQ(test::FolderEntries(folder.Data()),
              (std::vector<std::string>{"Tavrelle_0.rdm", "Tavrelle_S.rdm.tmp-" + live + "-3", "notes.tmp-" + gone,
                                        "notes.tmp-" + gone + "-x"}));
}

TEST(LoadSettings, DamagedCurrentGroupFallsBackToGroupZero) {
    StorageTempFolder folder;
    folder.CreateData();
    auto bytes = DistinctRecordBytes();
    bytes[0] = 42;
    WriteBytes(folder.File("Tavrelle_S.rdm"), bytes);
    LoadSettings();
    EXPECT_EQ(SaverSettings.CurrentGroup, 0);
}

TEST(LoadSettings, MissingMusicFileTurnsOffFileMusicOnly) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string song = folder.File("song.mp3");
    WriteText(song, "x");
    SaverSettingsData s;
    s.Groups[1].MusicMode = 2;  // file gone
    s.Groups[2].MusicMode = 1;  // CD, file gone
    s.Groups[3].MusicMode = 2;  // file present
    s.Groups[4].MusicMode = 2;  // no key at all
    ASSERT_TRUE(WriteSettingsRecord(folder.File("Tavrelle_S.rdm"), s));
    const std::string ini = folder.File("Tavrelle.ini");
    WriteText(ini, "[Section]\nBGMﾌｧｲﾙ_1=" + folder.File("gone.mp3") + "\nBGMﾌｧｲﾙ_2=" + folder.File("gone.wav") +
                       "\nBGMﾌｧｲﾙ_3=" + song + "\n");

    LoadSettings();

    const auto& g = SaverSettings.Groups;
    EXPECT_EQ(g[1].MusicMode, 0);
    EXPECT_EQ(g[1].MusicFile, "");
    EXPECT_EQ(g[2].MusicMode, 1);
    EXPECT_EQ(g[2].MusicFile, "");
    EXPECT_EQ(g[3].MusicMode, 2);
    EXPECT_EQ(g[3].MusicFile, song);
    EXPECT_EQ(g[4].MusicMode, 0);
}

TEST(LoadSettings, OpacityRoundsDownAndBadValuesGiveTheDefault) {
    StorageTempFolder folder;
    folder.CreateData();
    WriteText(folder.File("Tavrelle.ini"),
              "[Section]\n半透明_0=255\n半透明_2=abc\n半透明_3=180.9\n半透明_4=150\n半透明_5=\n"
              "半透明_6=99999\n半透明_9= 17 \n");
    LoadSettings();
    const std::int16_t want[10] = {255, 200, 200, 180, 150, 200, 200, 200, 200, 17};
    for (int n = 0; n < 10; ++n) EXPECT_EQ(SaverSettings.Groups[static_cast<std::size_t>(n)].Opacity, want[n]) << n;
    EXPECT_EQ(Current.Opacity, 255) << "the loader carries on to SelectGroup";
}

TEST(ParseOpacity, ReadsDecimalNumbersRoundedDown) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> want;
    };
    const Case cases[] = {
        {"180.9", 180}, {"180", 180}, {" 7 ", 7},   {"+12", 12},         {"-0.5", -1},
        {"1e2", 100},   {"", {}},     {"abc", {}},  {"12abc", {}},       {"99999", {}},
        {"nan", {}},    {"inf", {}},  {"0x10", {}}, {"32767.99", 32767}, {"-32768", -32768},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseOpacity(c.text), c.want) << '"' << c.text << '"';
}

TEST(SelectGroup, ResolvesAreaSizeAndCopiesTheGroup) {
    StorageTempFolder folder;
    SetScreenSizeFunction([] { return ScreenSize{1280, 1024}; });
    struct Case {
        std::int16_t areaSize;
        std::int32_t width, height;
    };
    for (const Case c : {Case{0, 640, 480}, Case{1, 800, 600}, Case{2, 1024, 768}, Case{3, 1280, 1024},
                         Case{9, 640, 480}, Case{-1, 640, 480}}) {
        SaverSettings.Groups[5] = GroupSettings{};
        SaverSettings.Groups[5].AreaSize = c.areaSize;
        SaverSettings.Groups[5].BackColor = 0x00FF8000;
        SaverSettings.Groups[5].MusicFile = "/m.wav";
        SelectGroup(5);
        EXPECT_EQ(Current.AreaWidth, c.width) << c.areaSize;
        EXPECT_EQ(Current.AreaHeight, c.height) << c.areaSize;
        EXPECT_DOUBLE_EQ(Current.AreaCentreX, c.width / 2.0);
        EXPECT_EQ(Current.AreaSize, c.areaSize);
        EXPECT_EQ(Current.BackColor, 0x00FF8000);
        EXPECT_EQ(Current.MusicFile, "/m.wav");
    }
    Current.AreaWidth = 1;
    SelectGroup(10);
    EXPECT_EQ(Current.AreaWidth, 1) << "a group outside 0 ... 9 changes nothing";
}

TEST(SaveAllSettings, WritesListRecordAndIniAndLoadsBackTheSame) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string song = folder.File("a b.mp3");
    WriteText(song, "x");
    WriteText(folder.File("Tavrelle.ini"), "; mine\n[Other]\nkeep=1\n[section]\n半透明_3=10\n");
    SaverSettings = DistinctSettings();
    for (auto& g : SaverSettings.Groups) g.MusicMode = 1, g.AreaSize = 0;
    SaverSettings.Groups[3].MusicFile = song;
    SaverSettings.Groups[3].Opacity = 180;
    SaverSettings.Groups[4].Opacity = 1;

    ASSERT_TRUE(SaveAllSettings({"/p/one.jpg", "/p/two.gif"}));

    EXPECT_EQ(ReadPictureListFile(folder.File("Tavrelle_7.rdm")),
              (std::vector<std::string>{"/p/one.jpg", "/p/two.gif"}));
    const std::string ini = ReadText(folder.File("Tavrelle.ini"));
    EXPECT_EQ(ini.rfind("; mine\n[Other]\nkeep=1\n[section]\n半透明_3=180\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("BGMﾌｧｲﾙ_3=" + song + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("半透明_4=1\n"), std::string::npos) << ini;

    const SaverSettingsData saved = SaverSettings;
    ResetSharedState();
    DataFolder = folder.Data();
    LoadSettings();
    EXPECT_EQ(SaverSettings, saved);
}

// The save is one transaction: whichever file cannot be written, none of the
// three is replaced, no temporary file stays, and the failing file is named.
TEST(AtomicReplace, AFailedSaveChangesNoFile) {
    const std::vector<std::string> names = {"Tavrelle_1.rdm", "Tavrelle_S.rdm", "Tavrelle.ini"};
    for (const std::string& failing : names) {
        SCOPED_TRACE("failing " + failing);
        StorageTempFolder folder;
        folder.CreateData();
        SaverSettings = DistinctSettings();
        SaverSettings.CurrentGroup = 1;
        ASSERT_TRUE(SaveAllSettings({"/old/1.jpg", "/old/2.jpg"}));
        std::vector<std::vector<std::uint8_t>> before;
        for (const auto& n : names) before.push_back(ReadBytes(folder.File(n)));

        int written = 0;
        SetBeforeRenameHookForTests([&](const std::string& temp) {
            ++written;
            EXPECT_EQ(std::filesystem::path(temp).parent_path(), std::filesystem::path(folder.Data()));
            return std::filesystem::path(temp).filename().string().rfind(failing + ".tmp-", 0) != 0;
        });
        SaverSettings.MouseLock = 0;
        SaverSettings.Groups[0].Opacity = 9;
        std::string failed;
        EXPECT_FALSE(SaveAllSettings({"/new/only.jpg"}, &failed));
        SetBeforeRenameHookForTests({});

        EXPECT_EQ(failed, folder.File(failing));
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(ReadBytes(folder.File(names[i])), before[i]) << names[i] << " was replaced";
        EXPECT_EQ(test::FolderEntries(folder.Data()),
                  (std::vector<std::string>{"Tavrelle.ini", "Tavrelle_1.rdm", "Tavrelle_S.rdm"}))
            << "no temporary file is left behind";
    }
}

// A replaced data file keeps its mode and owner, and a data file that is a
// symbolic link stays a link whose target gets the new contents.
TEST(AtomicReplace, KeepsModesOwnersAndLinks) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string elsewhere = folder.Root() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    SaverSettings = DistinctSettings();
    SaverSettings.CurrentGroup = 2;
    WriteText(folder.File("Tavrelle_S.rdm"), std::string(224, 'x'));
    ::chmod(folder.File("Tavrelle_S.rdm").c_str(), 0600);
    WriteText(elsewhere + "/list.rdm", "old");
    ::chmod((elsewhere + "/list.rdm").c_str(), 0640);
    std::filesystem::create_symlink(elsewhere + "/list.rdm", folder.File("Tavrelle_2.rdm"));
    WriteText(elsewhere + "/real.ini", "; mine\n");
    std::filesystem::create_symlink("../elsewhere/real.ini", folder.File("Tavrelle.ini"));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((elsewhere + "/real.ini").c_str(), 4321, 4322), 0);
    }

    ASSERT_TRUE(SaveAllSettings({"/p/a.jpg"}));

    struct stat st {};
    ASSERT_EQ(::stat(folder.File("Tavrelle_S.rdm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    for (const char* name : {"Tavrelle_2.rdm", "Tavrelle.ini"}) {
        ASSERT_EQ(::lstat(folder.File(name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name << " is no longer a link";
    }
    EXPECT_EQ(ReadPictureListFile(elsewhere + "/list.rdm"), std::vector<std::string>{"/p/a.jpg"});
    ASSERT_EQ(::stat((elsewhere + "/list.rdm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    const std::string ini = ReadText(elsewhere + "/real.ini");
    EXPECT_EQ(ini.rfind("; mine\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("半透明_0="), std::string::npos) << ini;
    if (root) {
        ASSERT_EQ(::stat((elsewhere + "/real.ini").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
    for (const std::string& f : {folder.Data(), elsewhere})
        for (const std::string& entry : test::FolderEntries(f))
            EXPECT_EQ(entry.find(".tmp-"), std::string::npos) << entry;
}

}  // namespace
}  // namespace tav

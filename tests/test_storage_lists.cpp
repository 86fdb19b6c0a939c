// Picture list files, the schedule file and the group choice of a run.
#include <gtest/gtest.h>

#include <QString>
#include <filesystem>

#include "startup/SharedState.h"
#include "storage/GroupChoice.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

using test::ReadBytes;
using test::StorageTempFolder;
using test::WriteBytes;

std::vector<std::uint8_t> Records(const std::vector<std::string>& texts, std::size_t extra = 0) {
    std::vector<std::uint8_t> bytes;
    for (const auto& t : texts) {
        std::string r = t;
        r.resize(255, ' ');
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    bytes.insert(bytes.end(), extra, 'z');
    return bytes;
}

bool ValidUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toUtf8().toStdString() == s;
}

TEST(PictureListFile, CountsWholeRecordsAndTrims) {
    StorageTempFolder folder;
    folder.CreateData();
    struct Case {
        std::size_t extra;
        std::size_t count;
    };
    const std::vector<std::string> texts = {"  /pics/a b.jpg  ", "", "/c.gif"};
    for (const Case c : {Case{0, 3}, Case{90, 3}, Case{254, 3}}) {
        const std::string path = folder.File("Tavrelle_4.rdm");
        WriteBytes(path, Records(texts, c.extra));
        EXPECT_EQ(CountListRecords(path), c.count) << c.extra;
        EXPECT_EQ(ReadPictureListFile(path), (std::vector<std::string>{"/pics/a b.jpg", "", "/c.gif"})) << c.extra;
    }
    // 510 and 600 bytes both hold two entries; 254 bytes hold none.
    for (auto [size, count] : {std::pair<std::size_t, std::size_t>{510, 2}, {600, 2}, {254, 0}}) {
        const std::string path = folder.File("Tavrelle_5.rdm");
        WriteBytes(path, std::vector<std::uint8_t>(size, 'a'));
        EXPECT_EQ(ReadPictureListFile(path).size(), count) << size;
    }
}

TEST(PictureListFile, ReadingAMissingListCreatesItEmpty) {
    StorageTempFolder folder;
    folder.CreateData();
    EXPECT_TRUE(ReadPictureListFile(PictureListPath(DataFolder, 6)).empty());
    EXPECT_TRUE(FileExists(folder.File("Tavrelle_6.rdm")));
    EXPECT_EQ(CountListRecords(PictureListPath(DataFolder, 8)), 0u);
    EXPECT_TRUE(FileExists(folder.File("Tavrelle_8.rdm")));
}

TEST(PictureListFile, LongPathsAreCutAtACharacterBoundary) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string p255 = "/" + std::string(254, 'a');
    const std::string p256 = "/" + std::string(255, 'b');
    std::string kana = "/";  // 3-byte characters: the 85th would end at byte 256
    for (int i = 0; i < 90; ++i) kana += "あ";
    std::string twoByte = "/" + std::string(253, 'c') + "ü";  // ü would end at byte 256
    const std::string path = folder.File("Tavrelle_1.rdm");
    ASSERT_TRUE(WritePictureListFile(path, {p255, p256, kana, twoByte, ""}));

    EXPECT_EQ(ReadBytes(path).size(), 5u * 255u);
    const auto read = ReadPictureListFile(path);
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[0], p255);
    EXPECT_EQ(read[1], p256.substr(0, 255));
    EXPECT_EQ(read[2], kana.substr(0, 1 + 84 * 3));
    EXPECT_TRUE(ValidUtf8(read[2]));
    EXPECT_EQ(read[3], twoByte.substr(0, 254));
    EXPECT_TRUE(ValidUtf8(read[3]));
    EXPECT_EQ(read[4], "");

    ASSERT_TRUE(WritePictureListFile(path, {}));
    EXPECT_EQ(ReadBytes(path).size(), 0u);
}

// A schedule file built byte by byte: mode, then bytes set at given offsets.
std::vector<std::uint8_t> ScheduleBytes(std::int16_t mode, std::initializer_list<std::pair<int, char>> cells) {
    std::vector<std::uint8_t> bytes(202, ' ');
    bytes[0] = static_cast<std::uint8_t>(mode);
    bytes[1] = 0;
    for (auto [offset, c] : cells) bytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(c);
    return bytes;
}

TEST(ScheduleFile, OnlyAFileOfOneRecordCounts) {
    StorageTempFolder folder;
    folder.CreateData();
    const std::string path = SchedulePath(DataFolder);
    EXPECT_FALSE(ReadScheduleFile(path));
    EXPECT_FALSE(FileExists(path)) << "reading must not create the schedule";
    EXPECT_EQ(LoadScheduleOrBlank(path), ScheduleRecord{});
    for (std::size_t size : {0u, 201u, 404u}) {
        WriteBytes(path, std::vector<std::uint8_t>(size, '3'));
        EXPECT_FALSE(ReadScheduleFile(path)) << size;
    }
    auto bytes = ScheduleBytes(3, {{125, '4'}});
    bytes.resize(300, 'x');
    WriteBytes(path, bytes);
    ASSERT_TRUE(ReadScheduleFile(path));
    EXPECT_EQ(ReadScheduleFile(path)->Cell(3, 15), '4');

    ScheduleRecord record;
    record.Mode = 2;
    record.SetCell(0, 24, '9');
    record.SetCell(7, 0, '1');
    ASSERT_TRUE(WriteScheduleFile(path, record));
    EXPECT_EQ(ReadBytes(path), ScheduleBytes(2, {{194, '9'}, {9, '1'}}));
}

TEST(GroupChoice, TakesTheCellOfTheModeWeekdayAndHour) {
    // Offsets: (weekday d, 0) -> 2 + d; (0, hour + 1) -> 2 + 8 (hour + 1);
    // (d, hour + 1) -> 2 + d + 8 (hour + 1).
    constexpr std::int16_t kSunday = 1, kTuesday = 3, kSaturday = 7;
    struct Case {
        const char* name;
        std::int16_t mode;
        std::int16_t weekday, hour;
        int offset;
        char cell;
        int want;
    };
    const Case cases[] = {
        {"mode 0 ignores the cells", 0, kTuesday, 14, 125, '4', 6},
        {"mode 1 Sunday", 1, kSunday, 9, 3, '1', 1},
        {"mode 1 Saturday", 1, kSaturday, 23, 9, '9', 9},
        {"mode 2 23:30", 2, kTuesday, 23, 194, '8', 8},
        {"mode 2 00:10", 2, kTuesday, 0, 10, '0', 0},
        {"mode 3 Tuesday 14:05", 3, kTuesday, 14, 125, '7', 7},
        {"mode 3 Saturday 23:59", 3, kSaturday, 23, 201, '2', 2},
        {"blank cell", 3, kTuesday, 14, 125, ' ', 6},
        {"letter", 3, kTuesday, 14, 125, 'x', 6},
        {"NUL", 3, kTuesday, 14, 125, '\0', 6},
        {"unknown mode", 4, kTuesday, 14, 125, '4', 6},
        {"negative mode", -1, kTuesday, 14, 125, '4', 6},
    };
    StorageTempFolder folder;
    folder.CreateData();
    for (const Case& c : cases) {
        WriteBytes(SchedulePath(DataFolder), ScheduleBytes(c.mode, {{c.offset, c.cell}}));
        const auto record = ReadScheduleFile(SchedulePath(DataFolder));
        ASSERT_TRUE(record) << c.name;
        EXPECT_EQ(ChooseGroup(*record, {c.weekday, c.hour}, 6), c.want) << c.name;
    }
}

TEST(GroupChoice, RunListFallsBackToTheDefaultGroup) {
    StorageTempFolder folder;
    folder.CreateData();
    WritePictureListFile(PictureListPath(DataFolder, 2), {"/two/a.jpg", "/two/b.jpg"});
    WritePictureListFile(PictureListPath(DataFolder, 7), {"/seven/a.jpg"});
    const ClockReading tuesday14{3, 14};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> schedule;  // empty: no file
        int group;
        std::int16_t mode;
        std::size_t pictures;
    };
    const Case cases[] = {
        {"no schedule file", {}, 2, 0, 2},
        {"scheduled group with pictures", ScheduleBytes(3, {{125, '7'}}), 7, 3, 1},
        {"scheduled group with an empty list", ScheduleBytes(3, {{125, '5'}}), 2, 3, 2},
        {"blank cell", ScheduleBytes(3, {}), 2, 3, 2},
        {"schedule file of 201 bytes", std::vector<std::uint8_t>(201, '7'), 2, 0, 2},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(SchedulePath(DataFolder));
        if (!c.schedule.empty()) WriteBytes(SchedulePath(DataFolder), c.schedule);
        const RunList run = ChooseRunList(DataFolder, tuesday14, 2);
        EXPECT_EQ(run.Group, c.group) << c.name;
        EXPECT_EQ(run.Pictures.size(), c.pictures) << c.name;
        EXPECT_EQ(run.ScheduleMode, c.mode) << c.name;
    }
    std::filesystem::remove(SchedulePath(DataFolder));
    EXPECT_TRUE(ChooseRunList(DataFolder, tuesday14, 4).Pictures.empty()) << "neither list holds a record";
}

}  // namespace
}  // namespace tav

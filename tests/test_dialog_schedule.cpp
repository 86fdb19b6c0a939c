#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include <filesystem>

#include "base/LittleEndian.h"
#include "dialogs/DialogValues.h"
#include "dialogs/ScheduleDialog.h"
#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/GroupChoice.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "support/application.h"
#include "support/dialog_support.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

using test::StorageTempFolder;

class ScheduleDialog : public ::testing::Test {
protected:
    StorageTempFolder folder;

    void SetUp() override {
        test::EnsureApplication();
        folder.CreateData();
        for (int n : {0, 3, 7}) WritePictureListFile(PictureListPath(DataFolder, n), {"/p/a.jpg", "/p/b.jpg"});
        WritePictureListFile(PictureListPath(DataFolder, 5), {"/p/only.jpg"});
    }
    std::unique_ptr<Tavrelle_T> Open() {
        auto d = std::make_unique<Tavrelle_T>(DataFolder);
        d->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        return d;
    }
    // A real click on a row, as the user makes it.
    static void ClickRow(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    static void PressGroup(Tavrelle_T& d, int n) {
        QTest::mousePress(d.lbl_Group[n], Qt::LeftButton);
        QTest::mouseRelease(d.lbl_Group[n], Qt::LeftButton);
    }
    static std::vector<bool> Enabled(const Tavrelle_T& d) {
        std::vector<bool> enabled;
        for (auto* label : d.lbl_Group) enabled.push_back(label->isEnabled());
        return enabled;
    }
    void WriteSchedule(const ScheduleRecord& record) {
        ASSERT_TRUE(WriteScheduleFile(SchedulePath(DataFolder), record));
    }
};

TEST(ScheduleRows, LabelsHaveTheirFixedWidths) {
    EXPECT_EQ(HourLabel(0), QStringLiteral(" 0時～ 1時 "));
    EXPECT_EQ(HourLabel(9), QStringLiteral(" 9時～10時 "));
    EXPECT_EQ(HourLabel(23), QStringLiteral("23時～24時 "));
    for (int h = 0; h < 24; ++h) EXPECT_EQ(HourLabel(h).size(), 8) << h;
    for (int d = 0; d < 7; ++d) EXPECT_EQ(WeekdayLabel(d).size(), 4) << d;
    EXPECT_EQ(WeekdayLabel(2), QStringLiteral("火曜日 "));
    EXPECT_EQ(CellFromRow(QStringLiteral("火曜日 3"), 4), '3');
    EXPECT_EQ(CellFromRow(QStringLiteral("火曜日 "), 4), ' ');
    EXPECT_EQ(CellFromRow(QStringLiteral("火曜日 x"), 4), ' ');
}

TEST_F(ScheduleDialog, ShortFileOpensBlankAndOkWritesAWholeRecord) {
    test::WriteBytes(SchedulePath(DataFolder), std::vector<std::uint8_t>(150, '5'));
    auto d = Open();
    EXPECT_EQ(d->Schedule(), ScheduleRecord{});
    EXPECT_TRUE(d->Pic_B[1]->isHidden());
    EXPECT_TRUE(d->Pic_B[2]->isHidden());
    d->Confirm();
    const auto bytes = test::ReadBytes(SchedulePath(DataFolder));
    ASSERT_EQ(bytes.size(), kScheduleRecordSize);
    EXPECT_EQ(ReadI16(bytes.data()), 0);
    EXPECT_EQ(bytes[2], ' ');
}

TEST_F(ScheduleDialog, WeekdayModeAssignsTheRowsDigit) {
    auto d = Open();
    d->SelectScheduleMode(1);
    ClickRow(d->List_1, 2);
    PressGroup(*d, 3);
    EXPECT_EQ(d->List_1->item(2)->text(), QStringLiteral("火曜日 3"));
    EXPECT_EQ(d->Schedule().Cell(3, 0), '3');
    EXPECT_EQ(d->List_1->count(), 7);
    EXPECT_FALSE(d->lbl_Group[3]->isEnabled()) << "labels wait for the next row click";
}

TEST_F(ScheduleDialog, ClearButtonBlanksAnHourCell) {
    ScheduleRecord record;
    record.SetCell(0, 15, '7');
    WriteSchedule(record);
    auto d = Open();
    d->SelectScheduleMode(2);
    EXPECT_EQ(d->List_2[1]->item(2)->text(), QStringLiteral("14時～15時 7"));
    ClickRow(d->List_2[1], 2);
    PressGroup(*d, Tavrelle_T::kClearLabel);
    EXPECT_EQ(d->List_2[1]->item(2)->text(), QStringLiteral("14時～15時 "));
    EXPECT_EQ(d->Schedule().Cell(0, 15), ' ');
}

TEST_F(ScheduleDialog, WeekdayAndHourModeKeepsTheOtherModesCells) {
    ScheduleRecord record;
    record.Mode = 3;
    record.SetCell(4, 0, '0');
    record.SetCell(0, 1, '3');
    WriteSchedule(record);
    auto d = Open();
    EXPECT_TRUE(d->Pic_B[2]->isHidden()) << "hours appear once a weekday is chosen";
    ClickRow(d->List_1, 3);
    EXPECT_FALSE(d->Pic_B[2]->isHidden());
    ClickRow(d->List_2[0], 0);
    PressGroup(*d, 7);
    EXPECT_EQ(d->Schedule().Cell(4, 1), '7');
    EXPECT_EQ(d->Schedule().Cell(4, 0), '0');
    EXPECT_EQ(d->Schedule().Cell(0, 1), '3');

    const ScheduleRecord before = d->Schedule();
    d->SelectScheduleMode(1);
    d->SelectScheduleMode(3);
    EXPECT_EQ(d->Schedule(), before);
    ClickRow(d->List_1, 3);
    EXPECT_EQ(d->List_2[0]->item(0)->text(), QStringLiteral(" 0時～ 1時 7"));
}

TEST_F(ScheduleDialog, OnlyGroupsWithTwoPicturesCanBeChosen) {
    auto d = Open();
    EXPECT_TRUE(std::filesystem::exists(PictureListPath(DataFolder, 9))) << "missing lists are created empty";
    const std::vector<bool> none(11, false);
    std::vector<bool> usable(11, false);
    usable[0] = usable[3] = usable[7] = usable[10] = true;
    for (int mode : {1, 2, 3}) {
        d->SelectScheduleMode(mode);
        EXPECT_EQ(Enabled(*d), none) << "after switching to mode " << mode;
        QListWidget* list = mode == 2 ? d->List_2[0] : d->List_1;
        ClickRow(list, 1);
        if (mode == 3) {
            EXPECT_EQ(Enabled(*d), none) << "a weekday alone enables nothing";
            ClickRow(d->List_2[1], 1);
        }
        EXPECT_EQ(Enabled(*d), usable) << "mode " << mode;
    }
    // A disabled label takes no press.
    PressGroup(*d, 5);
    EXPECT_EQ(d->Schedule().Cell(2, 14), ' ');
}

TEST_F(ScheduleDialog, AClickBesideTheRowsOfTheOtherListChangesNothing) {
    auto d = Open();
    d->SelectScheduleMode(2);
    ClickRow(d->List_2[0], 4);
    ASSERT_EQ(d->List_2[1]->currentRow(), -1);
    d->HourRowClicked(1);
    PressGroup(*d, 3);
    EXPECT_EQ(d->List_2[0]->item(4)->text(), QStringLiteral(" 4時～ 5時 3"));
    EXPECT_EQ(d->List_2[1]->item(0)->text(), QStringLiteral("12時～13時  ")) << "the afternoon keeps its own rows";
    EXPECT_EQ(d->Schedule().Cell(0, 5), '3');
    EXPECT_EQ(d->Schedule().Cell(0, 17), ' ');
}

TEST_F(ScheduleDialog, CancelWritesNothingAndTheNextOpeningRereads) {
    {
        auto d = Open();
        d->SelectScheduleMode(1);
        ClickRow(d->List_1, 0);
        PressGroup(*d, 0);
        d->reject();
    }
    EXPECT_EQ(std::filesystem::file_size(SchedulePath(DataFolder)), 0u) << "the opening created an empty file";
    auto d = Open();
    EXPECT_EQ(d->Schedule(), ScheduleRecord{});
}

TEST_F(ScheduleDialog, AFailedWriteKeepsTheDialogOpen) {
    test::ScriptedDialogs dialogs;
    Tavrelle_T d(DataFolder, nullptr, &dialogs);
    d.SelectScheduleMode(2);
    SetBeforeRenameHookForTests([](const std::string&) { return false; });
    d.Confirm();
    SetBeforeRenameHookForTests({});
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(SchedulePath(DataFolder)), 0u);
    d.Confirm();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(ReadScheduleFile(SchedulePath(DataFolder))->Mode, 2);
}

TEST_F(ScheduleDialog, TheShowRunsTheScheduledGroup) {
    auto d = Open();
    d->SelectScheduleMode(1);
    ClickRow(d->List_1, 2);  // Tuesday
    PressGroup(*d, 7);
    d->Confirm();
    const RunList tuesday = ChooseRunList(DataFolder, {3, 10}, 0);
    EXPECT_EQ(tuesday.Group, 7);
    EXPECT_EQ(tuesday.Pictures.size(), 2u);
    EXPECT_EQ(ChooseRunList(DataFolder, {4, 10}, 3).Group, 3) << "an unscheduled day runs the default group";
}

}  // namespace
}  // namespace tav

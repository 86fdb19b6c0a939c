#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>

#include "base/LittleEndian.h"
#include "dialogs/DialogPictures.h"
#include "dialogs/DialogValues.h"
#include "dialogs/SettingsDialog.h"
#include "startup/SharedState.h"
#include "storage/AtomicFile.h"
#include "storage/IniFile.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "support/application.h"
#include "support/dialog_support.h"
#include "support/storage_temp_folder.h"
#include "testmedia/PictureWriters.h"
#include "testmedia/StallingFileSystem.h"

namespace tav {
namespace {

using test::ScriptedDialogs;
using test::StorageTempFolder;

class SettingsDialog : public ::testing::Test {
protected:
    StorageTempFolder folder;
    ScriptedDialogs dialogs;

    void SetUp() override {
        test::EnsureApplication();
        folder.CreateData();
        LoadSettings();
    }
    void WriteList(int group, std::vector<std::string> entries) {
        ASSERT_TRUE(WritePictureListFile(PictureListPath(DataFolder, group), entries));
    }
    std::unique_ptr<Tavrelle_P> Open() {
        return std::make_unique<Tavrelle_P>(DataFolder, SaverSettings, &dialogs, [](QWidget*) {});
    }
    static QColor DigitColour(const Tavrelle_P& d, int n) {
        return d.lbl_Group[n]->palette().color(QPalette::WindowText);
    }
    std::string Picture(const std::string& name, int w, int h) {
        const std::string path = folder.Root() + "/" + name;
        pw::SaveFlatPicture(path, w, h, qRgb(40, 120, 200));
        return path;
    }
};

TEST_F(SettingsDialog, SavingWritesTheShownGroupAsDefaultAndTheFilesTheShowReads) {
    auto d = Open();
    d->SwitchGroup(4);
    dialogs.Files.push_back("/pictures/a.jpg");
    dialogs.Files.push_back("/pictures/b.jpg");
    d->AddPictureFile();
    d->AddPictureFile();
    d->SelectOption(d->PicSize, 2);
    d->SetIntervalValue(7);
    d->HS_Trans->setValue(180);
    d->SaveAndExit();

    const auto record = test::ReadBytes(folder.File("Tavrelle_S.rdm"));
    ASSERT_EQ(record.size(), 224u);
    EXPECT_EQ(ReadI16(record.data()), 4);

    ResetSharedState();
    SetDataFolderOverride(folder.Data());
    DataFolder = folder.Data();
    LoadSettings();
    EXPECT_EQ(SaverSettings.CurrentGroup, 4);
    EXPECT_EQ(SaverSettings.Groups[4].AreaSize, 2);
    EXPECT_EQ(SaverSettings.Groups[4].IntervalSeconds, 7);
    EXPECT_EQ(SaverSettings.Groups[4].Opacity, 180);
    EXPECT_EQ(ReadPictureListFile(PictureListPath(DataFolder, 4)),
              (std::vector<std::string>{"/pictures/a.jpg", "/pictures/b.jpg"}));
}

TEST_F(SettingsDialog, AFailedWriteKeepsTheDialogAndTheListOnScreen) {
    WriteList(0, {"/p/a.jpg"});
    auto d = Open();
    dialogs.Files.push_back("/p/b.jpg");
    d->AddPictureFile();
    const auto settingsBefore = test::ReadBytes(folder.File("Tavrelle_S.rdm"));
    SetBeforeRenameHookForTests([](const std::string&) { return false; });

    d->SwitchGroup(3);
    EXPECT_EQ(d->Settings().CurrentGroup, 0) << "the group stays when its list cannot be written";
    EXPECT_EQ(d->List_1->count(), 2);
    d->SaveAndExit();
    EXPECT_NE(d->result(), QDialog::Accepted);
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    // The message names the file that could not be written on its second line.
    EXPECT_EQ(dialogs.Messages[0].toStdString(), "ﾌｧｲﾙを書き込めませんでした。\n" + PictureListPath(DataFolder, 0));
    EXPECT_EQ(dialogs.Messages[1].toStdString(), "ﾌｧｲﾙを書き込めませんでした。\n" + PictureListPath(DataFolder, 0));
    EXPECT_EQ(test::ReadBytes(folder.File("Tavrelle_S.rdm")), settingsBefore);

    SetBeforeRenameHookForTests({});
    d->SaveAndExit();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(CountListRecords(PictureListPath(DataFolder, 0)), 2u);
}

TEST(TextureTiling, CoversTheWholeSurfaceColumnByColumn) {
    // At scale 2 (a HiDPI screen) surface and tile hold twice the pixels; the copies are the same.
    const struct {
        int w, h, copies, scale;
    } cases[] = {
        {577, 473, 2 * 24, 1}, {393, 57, 2 * 4, 1}, {579, 21, 3 * 3, 1}, {1, 1, 2 * 2, 1}, {577, 473, 2 * 24, 2}};
    test::EnsureApplication();
    for (const auto& c : cases) {
        QImage surface(c.w * c.scale, c.h * c.scale, QImage::Format_RGB32);
        surface.setDevicePixelRatio(c.scale);
        surface.fill(qRgb(255, 0, 255));
        EXPECT_EQ(TileTexture(&surface, TextureTile(c.scale)), c.copies)
            << c.w << "x" << c.h << " at scale " << c.scale;
        int uncovered = 0;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x) uncovered += surface.pixel(x, y) == qRgb(255, 0, 255);
        EXPECT_EQ(uncovered, 0) << c.w << "x" << c.h << " at scale " << c.scale;
    }
}

TEST_F(SettingsDialog, CdTrackTextsAreStoredAndShown) {
    const struct {
        const char* text;
        std::int16_t previous, want;
    } cases[] = {
        {"abc", 5, 0}, {"12", 5, 12}, {"", 5, 0},     {"2.5", 5, 2},         {"3.5", 5, 4},
        {" 7 ", 5, 7}, {"-3", 5, -3}, {"1e1", 5, 10}, {"99999", 5, 5},       {"0x10", 5, 0},
        {"nan", 5, 0}, {"+", 5, 0},   {"1.5e", 5, 0}, {"-32768", 5, -32768},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCdTrack(QString::fromUtf8(c.text), c.previous), c.want) << '"' << c.text << '"';

    // Through the dialog: the combo text is what StoreGroupControls keeps.
    SaverSettings.Groups[3].CdTrack = 7;
    auto d = Open();
    d->SwitchGroup(3);
    EXPECT_EQ(d->BGM_Repeat->currentText(), QStringLiteral("7"));
    d->BGM_Repeat->setEditText(QStringLiteral("2.5"));
    d->SwitchGroup(0);
    EXPECT_EQ(d->BGM_Repeat->currentText(), QString()) << "track 0 shows as an empty text";
    EXPECT_EQ(d->Settings().Groups[3].CdTrack, 2);
    EXPECT_EQ(d->BGM_Repeat->count(), 31);
    EXPECT_EQ(d->BGM_Repeat->itemText(0), QString());
    EXPECT_EQ(d->BGM_Repeat->itemText(30), QStringLiteral("30"));
}

TEST_F(SettingsDialog, CancelKeepsOnlyTheListWrittenAtTheSwitch) {
    WriteList(2, {"/p/one.jpg"});
    SaverSettings.CurrentGroup = 2;
    auto d = Open();
    dialogs.Files.push_back("/p/two.jpg");
    d->AddPictureFile();
    d->SwitchGroup(5);
    const auto listAtSwitch = test::ReadBytes(PictureListPath(DataFolder, 2));
    EXPECT_EQ(listAtSwitch.size(), 2 * kListRecordSize);
    EXPECT_EQ(DigitColour(*d, 2), QColor(255, 0, 0));

    const auto settingsBefore = test::ReadBytes(folder.File("Tavrelle_S.rdm"));
    const bool iniExisted = std::filesystem::exists(folder.File("Tavrelle.ini"));
    dialogs.Files.push_back("/p/three.jpg");
    d->AddPictureFile();
    d->SelectOption(d->Lock, 1);
    d->RunCommand(Tavrelle_P::kCancel);

    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(test::ReadBytes(PictureListPath(DataFolder, 2)), listAtSwitch);
    EXPECT_EQ(CountListRecords(PictureListPath(DataFolder, 5)), 0u);
    EXPECT_EQ(test::ReadBytes(folder.File("Tavrelle_S.rdm")), settingsBefore);
    EXPECT_EQ(std::filesystem::exists(folder.File("Tavrelle.ini")), iniExisted);
}

TEST_F(SettingsDialog, CommandRunsWhenTheButtonIsReleasedOutsideIt) {
    WriteList(0, {"/p/a.jpg", "/p/b.jpg"});
    auto d = Open();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    ASSERT_EQ(d->List_1->count(), 2);
    auto* clear = d->findChild<QLabel*>(QStringLiteral("lbl_Cmd_8"));
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->text(), QStringLiteral("全部ｸﾘｱ"));
    const QPoint inside = clear->mapTo(d.get(), clear->rect().center());
    QTest::mousePress(d->windowHandle(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(d->List_1->count(), 2) << "nothing happens on the press";
    QTest::mouseRelease(d->windowHandle(), Qt::LeftButton, {}, QPoint(5, 480));
    EXPECT_EQ(d->List_1->count(), 0);
    EXPECT_EQ(d->lbl_Kensu->text(), QString());
    EXPECT_EQ(DigitColour(*d, 0), QColor(0, 0, 0));
}

TEST_F(SettingsDialog, FolderCommandAddsInAttributeAndPatternOrderKeepingDuplicates) {
    const std::string pics = folder.Root() + "/pics";
    std::filesystem::create_directories(pics);
    for (const char* name : {"b.jpg", "a.bmp", "c.gif", ".d.wmf", "e.txt"}) test::WriteText(pics + "/" + name, "x");
    std::filesystem::permissions(pics + "/c.gif", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    WriteList(0, {pics + "/a.bmp"});
    auto d = Open();
    dialogs.Folders.push_back(pics);
    dialogs.Folders.push_back(std::nullopt);
    d->AddPictureFolder();
    EXPECT_EQ(d->ListEntries(),
              (std::vector<std::string>{pics + "/a.bmp", pics + "/a.bmp", pics + "/b.jpg", pics + "/c.gif"}));
    EXPECT_EQ(d->lbl_Kensu->text(), CountCaption(4));
    d->AddPictureFolder();
    EXPECT_EQ(d->List_1->count(), 4) << "a cancelled folder choice adds nothing";
    EXPECT_EQ(d->lbl_Kensu->text(), CountCaption(4));
    EXPECT_EQ(dialogs.FolderInstructions.at(0),
              QStringLiteral("フォルダーをクリックして選択状態にしてから ＯＫ を押してください"));
}

// The folder chooser opens in the desktop's pictures folder (named by the
// desktop's own language) while the list is empty, and beside the last
// picture of the list afterwards.
TEST_F(SettingsDialog, FolderChooserStartsInThePicturesFolderThenBesideTheLastPicture) {
    const std::string config = folder.Root() + "/config";
    std::filesystem::create_directories(config);
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const QString pictures = folder.Root().c_str() + QStringLiteral("/写真");
    test::WriteText(config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"" + pictures.toStdString() + "\"\n");

    auto d = Open();
    d->AddPictureFolder();
    std::filesystem::create_directories(pictures.toStdString());
    d->AddPictureFolder();
    dialogs.Files.push_back("/photos/2024/summer/a.jpg");
    d->AddPictureFile();
    d->AddPictureFolder();
    dialogs.Files.push_back("bare.jpg");
    d->AddPictureFile();
    d->AddPictureFolder();
    EXPECT_EQ(dialogs.FolderStarts,
              (std::vector<QString>{QDir::homePath(), pictures, QStringLiteral("/photos/2024/summer"), pictures}))
        << "a missing pictures folder starts at home";

    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

// A list longer than a show plays is shown and saved whole; the add commands
// stop at 32767 entries with a message rather than growing it further.
TEST_F(SettingsDialog, LongListsAreKeptWholeAndAddingStopsAtTheCap) {
    std::vector<std::string> longList;
    for (int i = 0; i < 40000; ++i) longList.push_back("/p/" + std::to_string(i) + ".jpg");
    WriteList(0, longList);
    const auto before = test::ReadBytes(PictureListPath(DataFolder, 0));
    {
        auto d = Open();
        EXPECT_EQ(d->List_1->count(), 40000);
        EXPECT_EQ(d->lbl_Kensu->text(), CountCaption(40000));
        dialogs.Files.push_back("/p/more.jpg");
        d->AddPictureFile();
        d->AddPictureFolder();
        EXPECT_EQ(d->List_1->count(), 40000);
        EXPECT_TRUE(dialogs.FileRequests.empty() && dialogs.FolderInstructions.empty())
            << "a full list asks for no file or folder";
        EXPECT_EQ(dialogs.Messages, (std::vector<QString>{ListFullText(), ListFullText()}));
        d->SaveAndExit();
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_TRUE(test::ReadBytes(PictureListPath(DataFolder, 0)) == before)
            << "a save without a change keeps every entry";
    }
    dialogs.Messages.clear();
    const std::string pics = folder.Root() + "/pics";
    std::filesystem::create_directories(pics);
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) test::WriteText(pics + "/" + name, "x");
    WriteList(1, std::vector<std::string>(32765, "/p/x.jpg"));
    auto d = Open();
    d->SwitchGroup(1);
    dialogs.Folders.push_back(pics);
    d->AddPictureFolder();
    EXPECT_EQ(d->List_1->count(), 32767);
    EXPECT_EQ(d->ListEntries().back(), pics + "/b.bmp");
    EXPECT_EQ(dialogs.Messages, std::vector<QString>{ListFullText()}) << "the pictures left out are told";
}

TEST_F(SettingsDialog, FileCommandCountsEvenWhenCancelled) {
    auto d = Open();
    d->AddPictureFile();
    EXPECT_EQ(d->lbl_Kensu->text(), CountCaption(0));
    ASSERT_EQ(dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(dialogs.FileRequests[0].FilterName, QStringLiteral("画像ﾌｧｲﾙ (bmp gif jpg wmf png webp tif heic avif)"));
    EXPECT_EQ(
        dialogs.FileRequests[0].Patterns.join(' '),
        QStringLiteral("*.bmp *.gif *.jpg *.wmf *.jpeg *.jpe *.jfif *.png *.webp *.tif *.tiff *.heic *.heif *.avif"));
    EXPECT_EQ(dialogs.FileRequests[0].Title, QStringLiteral("ﾌｧｲﾙを開く"));
    // The text before a NUL counts; a path longer than the buffer is refused.
    dialogs.Files.push_back(std::string("/p/x.jpg\0junk", 13));
    dialogs.Files.push_back("/" + std::string(254, 'a'));
    d->AddPictureFile();
    d->AddPictureFile();
    EXPECT_EQ(d->ListEntries(), std::vector<std::string>{"/p/x.jpg"});
}

TEST_F(SettingsDialog, ThumbnailFitsTheLongerSideTo89) {
    const struct {
        int w, h, tw, th;
    } cases[] = {{2000, 1000, 89, 44}, {600, 800, 67, 89}, {300, 300, 89, 89}, {10, 2000, 0, 89}};
    auto d = Open();
    d->SelectOption(d->Pre, 1);
    for (const auto& c : cases) {
        const std::string path = Picture(std::to_string(c.w) + "x" + std::to_string(c.h) + ".bmp", c.w, c.h);
        d->List_1->clear();
        dialogs.Files.push_back(path);
        d->AddPictureFile();
        d->List_1->setCurrentRow(0);
        d->ShowThumbnail();
        EXPECT_TRUE(d->ThumbnailShowsPicture()) << c.w << "x" << c.h;
        EXPECT_EQ(d->Pic_K->size(), QSize(std::max(c.tw, 1), c.th)) << c.w << "x" << c.h;
        EXPECT_EQ(d->F_Size->text(), SizeCaption(c.w, c.h));
        EXPECT_TRUE(d->Cmd[Tavrelle_P::kDelete].IsVisible());
    }
    EXPECT_EQ(SizeCaption(2000, 1000), QStringLiteral("Size ： 2000 * 1000"));

    // Transparent pixels show the box's own ground, the colour of the empty box.
    QImage hollow(60, 60, QImage::Format_Indexed8);
    hollow.setColorTable({qRgba(0, 0, 0, 0)});
    hollow.fill(0);
    const std::string hollowPath = folder.Root() + "/hollow.gif";
    ASSERT_TRUE(pw::SaveBytes(hollowPath, pw::WriteGif({hollow})));
    d->List_1->clear();
    d->ClearList();
    const QRgb emptyBox = d->Pic_K->pixmap().toImage().pixel(44, 44);
    dialogs.Files.push_back(hollowPath);
    d->AddPictureFile();
    d->List_1->setCurrentRow(0);
    d->ShowThumbnail();
    ASSERT_TRUE(d->ThumbnailShowsPicture());
    EXPECT_EQ(d->Pic_K->pixmap().toImage().pixel(44, 44), emptyBox);

    // Preview off: no picture and no size, but the delete button.
    d->SelectOption(d->Pre, 0);
    EXPECT_EQ(d->EditedGroup().PicturePreview, 0);
    d->Cmd[Tavrelle_P::kDelete].SetVisible(false);
    d->ShowThumbnail();
    EXPECT_FALSE(d->ThumbnailShowsPicture());
    EXPECT_EQ(d->F_Size->text(), QString());
    EXPECT_TRUE(d->Cmd[Tavrelle_P::kDelete].IsVisible());

    // An unreadable file with preview on shows an empty box.
    d->SelectOption(d->Pre, 1);
    d->List_1->clear();
    dialogs.Files.push_back(folder.Root() + "/missing.jpg");
    d->AddPictureFile();
    d->List_1->setCurrentRow(0);
    d->ShowThumbnail();
    EXPECT_FALSE(d->ThumbnailShowsPicture());
    EXPECT_EQ(d->F_Size->text(), QString());

    d->DeleteSelectedEntry();
    EXPECT_EQ(d->List_1->count(), 0);
    EXPECT_EQ(d->lbl_Kensu->text(), CountCaption(0));
    EXPECT_FALSE(d->Cmd[Tavrelle_P::kDelete].IsVisible());
}

// An entry chosen with the keyboard is shown as a clicked one is, so the
// delete command removes the entry the thumbnail shows.
TEST_F(SettingsDialog, TheThumbnailFollowsTheKeyboard) {
    auto d = Open();
    d->show();
    d->SelectOption(d->Pre, 1);
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(Picture("k" + std::to_string(i) + ".bmp", 10 + i, 20 + i));
        dialogs.Files.push_back(paths.back());
        d->AddPictureFile();
    }
    QWidget* view = d->List_1->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, d->List_1->visualItemRect(d->List_1->item(0)).center());
    ASSERT_EQ(d->F_Size->text(), SizeCaption(10, 20)) << "a click shows the entry";
    const struct {
        const char* what;
        std::function<void()> press;
        int row;
    } steps[] = {
        {"End", [&] { QTest::keyClick(d->List_1, Qt::Key_End); }, 3},
        {"Home", [&] { QTest::keyClick(d->List_1, Qt::Key_Home); }, 0},
        {"Down", [&] { QTest::keyClick(d->List_1, Qt::Key_Down); }, 1},
        {"Page Down", [&] { QTest::keyClick(d->List_1, Qt::Key_PageDown); }, 3},
        {"Up", [&] { QTest::keyClick(d->List_1, Qt::Key_Up); }, 2},
        {"Page Up", [&] { QTest::keyClick(d->List_1, Qt::Key_PageUp); }, 0},
        {"typing a name", [&] { QTest::keyClicks(d->List_1, QString::fromStdString(paths[2])); }, 2},
    };
    for (const auto& step : steps) {
        step.press();
        EXPECT_EQ(d->List_1->currentRow(), step.row) << step.what;
        EXPECT_EQ(d->F_Size->text().toStdString(), SizeCaption(10 + step.row, 20 + step.row).toStdString())
            << step.what;
        EXPECT_TRUE(d->ThumbnailShowsPicture()) << step.what;
    }
    QTest::keyClick(d->List_1, Qt::Key_End);
    d->DeleteSelectedEntry();
    EXPECT_EQ(d->ListEntries(), (std::vector<std::string>{paths[0], paths[1], paths[2]}))
        << "the pictured entry is the one deleted";
    EXPECT_FALSE(d->Cmd[Tavrelle_P::kDelete].IsVisible());
}

// A picture on a share that has stopped answering holds the dialog no longer
// than a moment: its entry shows the empty box and can be deleted, another
// entry shows its picture meanwhile, choosing the first again reads nothing
// more, only four such reads are ever stuck, and the picture appears once
// the file comes in.
TEST_F(SettingsDialog, AThumbnailThatDoesNotAnswerHoldsNothing) {
    test::StallingFileSystem share(folder.Root() + "/share");
    if (!share.ok()) GTEST_SKIP() << share.whyNot();
    std::ifstream in(Picture("far-source.bmp", 50, 60), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> paths = {share.Path("far.bmp"), Picture("near.bmp", 30, 40), share.Path("far.bmp")};
    for (const std::string name : {"far.bmp", "s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp"}) {
        share.AddFile(name, bytes, test::StallingFileSystem::Stall::Read);
        if (name != std::string("far.bmp")) paths.push_back(share.Path(name));
    }
    auto d = Open();
    d->show();
    d->SelectOption(d->Pre, 1);
    for (const std::string& path : paths) {
        dialogs.Files.push_back(path);
        d->AddPictureFile();
    }
    QWidget* view = d->List_1->viewport();
    auto click = [&](int row) {
        QTest::mouseClick(view, Qt::LeftButton, {}, d->List_1->visualItemRect(d->List_1->item(row)).center());
    };
    click(0);
    EXPECT_FALSE(d->ThumbnailShowsPicture());
    EXPECT_TRUE(d->F_Size->text().isEmpty());
    EXPECT_TRUE(d->Cmd[Tavrelle_P::kDelete].IsVisible());
    click(1);
    EXPECT_EQ(d->F_Size->text(), SizeCaption(30, 40)) << "the dialog goes on";
    click(2);
    EXPECT_FALSE(d->ThumbnailShowsPicture());
    EXPECT_EQ(share.Held(), 1) << "a file still being read is not asked again";
    d->DeleteSelectedEntry();
    EXPECT_EQ(d->ListEntries().size(), paths.size() - 1);
    EXPECT_EQ(d->ListEntries()[2], share.Path("s1.bmp")) << "the pictured entry is the one deleted";
    for (int row = 2; row < 6; ++row) click(row);
    for (int i = 0; i < 100 && share.Held() < 4; ++i) QTest::qWait(50);
    EXPECT_EQ(share.Held(), 4) << "reads stuck at once: far, s1, s2 and s3, not s4";
    click(0);
    share.Resume();
    for (int i = 0; i < 100 && !d->ThumbnailShowsPicture(); ++i) QTest::qWait(50);
    EXPECT_TRUE(d->ThumbnailShowsPicture()) << "the picture is shown once it comes in";
    EXPECT_EQ(d->F_Size->text(), SizeCaption(50, 60));
}

TEST_F(SettingsDialog, IntervalArrowsStopAtTheEnds) {
    auto d = Open();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    QScrollBar* bar = d->Intval;
    const QPoint upper(bar->width() / 2, 3), lower(bar->width() / 2, bar->height() - 3);
    const struct {
        int start;
        QPoint arrow;
        int want;
    } cases[] = {{9, upper, 10}, {10, upper, 10}, {0, lower, 0}, {5, lower, 4}};
    for (const auto& c : cases) {
        d->SetIntervalValue(c.start);
        QTest::mouseClick(bar, Qt::LeftButton, {}, c.arrow);
        EXPECT_EQ(d->IntervalValue(), c.want) << "from " << c.start;
        EXPECT_EQ(d->lbl_Time->text(), QString::number(c.want));
    }
}

TEST_F(SettingsDialog, GroupDigitsShowWhichListsHoldPictures) {
    WriteList(1, {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    WriteList(3, {});
    auto d = Open();
    for (int n = 0; n < 10; ++n) EXPECT_EQ(DigitColour(*d, n), n == 1 ? QColor(255, 0, 0) : QColor(0, 0, 0)) << n;
    EXPECT_FALSE(std::filesystem::exists(PictureListPath(DataFolder, 5))) << "colouring creates no list file";

    d->SwitchGroup(1);
    d->SwitchGroup(2);
    EXPECT_EQ(std::filesystem::file_size(PictureListPath(DataFolder, 1)), 765u);
    EXPECT_EQ(DigitColour(*d, 1), QColor(255, 0, 0));
    d->SwitchGroup(3);
    EXPECT_EQ(DigitColour(*d, 2), QColor(0, 0, 0));
}

TEST_F(SettingsDialog, OptionsAndChoicesWriteTheirValues) {
    auto d = Open();
    // A caption selects like its picture.
    QTest::mousePress(d->PicSize.Labels[2], Qt::LeftButton);
    EXPECT_EQ(d->EditedGroup().AreaSize, 2);
    QTest::mousePress(d->Bgm.Images[1], Qt::LeftButton);
    EXPECT_EQ(d->EditedGroup().MusicMode, 1);

    // A music file chosen while "なし" is selected keeps the music off.
    d->SelectOption(d->Bgm, 0);
    dialogs.Files.push_back("/music/song.mp3");
    d->ChooseMusicFile();
    EXPECT_EQ(dialogs.FileRequests.back().FilterName, QStringLiteral("BGMﾌｧｲﾙ (MP3 WAV)"));
    d->StoreGroupControls();
    EXPECT_EQ(d->Settings().Groups[0].MusicFile, "/music/song.mp3");
    EXPECT_EQ(d->Settings().Groups[0].MusicMode, 0);

    // Colours: a cancelled choice changes nothing; sixteen custom colours are offered.
    d->SetBackColour(0x00112233);
    d->ChooseBackColor();
    EXPECT_EQ(d->BackColour(), 0x00112233);
    dialogs.Colours.push_back(0x000000FF);
    d->ChooseBackColor();
    EXPECT_EQ(d->BackColour(), 0x000000FF);
    EXPECT_EQ(d->lbl_C->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(dialogs.ColourRequests.size(), 2u);

    // The speed label follows only a released thumb.
    d->Slide->setValue(3);
    d->Slide->setSliderDown(true);
    d->Slide->setSliderPosition(10);
    EXPECT_EQ(d->lbl_Slide->text(), QStringLiteral("3"));
    d->Slide->setSliderDown(false);
    EXPECT_EQ(d->lbl_Slide->text(), QStringLiteral("10"));

    // The schedule command hands the dialog to the schedule dialog.
    QWidget* scheduleOwner = nullptr;
    Tavrelle_P withSchedule(DataFolder, SaverSettings, &dialogs, [&](QWidget* owner) { scheduleOwner = owner; });
    withSchedule.RunCommand(Tavrelle_P::kSchedule);
    EXPECT_EQ(scheduleOwner, &withSchedule);

    // A value outside a selector's choices lights nothing and is kept.
    SaverSettings.Groups[6].FitMode = 5;
    auto odd = Open();
    odd->SwitchGroup(6);
    odd->SwitchGroup(0);
    EXPECT_EQ(odd->Settings().Groups[6].FitMode, 5);
}

}  // namespace
}  // namespace tav

// The dialogs' texts in both languages: every text fits its control in the
// dialog's font and runs into no other text, the English dialogs hold no
// Japanese, and the schedule rows keep the lengths their cells are read by.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "dialogs/DialogValues.h"
#include "dialogs/ScheduleDialog.h"
#include "dialogs/SettingsDialog.h"
#include "startup/Language.h"
#include "startup/SharedState.h"
#include "storage/PictureListFile.h"
#include "storage/ScheduleFile.h"
#include "storage/Settings.h"
#include "support/application.h"
#include "support/dialog_support.h"
#include "support/storage_temp_folder.h"

namespace tav {
namespace {

using test::StorageTempFolder;

const char* Name(UiLanguage language) { return language == UiLanguage::English ? "English" : "Japanese"; }

}  // namespace

// The parameter's name in the test's output.
void PrintTo(UiLanguage language, std::ostream* out) { *out << Name(language); }

namespace {

// Where a label draws its text, in its parent's coordinates.
QRect TextRect(const QLabel* label) {
    const QRect box = label->geometry();
    const int width = label->fontMetrics().horizontalAdvance(label->text());
    int left = box.left();
    if (label->alignment() & Qt::AlignHCenter) left = box.left() + (box.width() - width) / 2;
    if (label->alignment() & Qt::AlignRight) left = box.right() + 1 - width;
    return QRect(left, box.top(), width, box.height());
}

bool HasJapanese(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x3000) return true;  // kana, kanji, full- and half-width forms
    return false;
}

// Every text label of the window: fits its box, overlaps no other text of
// the same panel, and in English holds no Japanese.
void CheckLabels(const QWidget& window, UiLanguage language) {
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    int texts = 0;
    for (const QLabel* label : labels) {
        if (label->text().isEmpty()) continue;
        ++texts;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width())
            << Name(language) << " \"" << label->text().toStdString() << "\" needs " << needed << " pixels in a "
            << label->contentsRect().width() << "-pixel label";
        if (language == UiLanguage::English) {
            EXPECT_FALSE(HasJapanese(label->text())) << "untranslated: " << label->text().toStdString();
        }
        for (const QLabel* other : labels) {
            if (other <= label || other->text().isEmpty() || other->parentWidget() != label->parentWidget()) continue;
            if (TextRect(label).intersects(TextRect(other)) && !label->geometry().contains(other->geometry()) &&
                !other->geometry().contains(label->geometry()))
                ADD_FAILURE() << Name(language) << " \"" << label->text().toStdString() << "\" runs into \""
                              << other->text().toStdString() << "\"";
        }
    }
    EXPECT_GT(texts, 10) << "the window's labels were not found";
}

// Every row of a list fits the list without scrolling sideways.
void CheckRows(const QListWidget* list, UiLanguage language) {
    for (int i = 0; i < list->count(); ++i) {
        const QString row = list->item(i)->text();
        const int needed = list->fontMetrics().horizontalAdvance(row);
        EXPECT_LE(needed, list->viewport()->width())
            << Name(language) << " row \"" << row.toStdString() << "\" needs " << needed << " pixels";
        if (language == UiLanguage::English) {
            EXPECT_FALSE(HasJapanese(row)) << "untranslated: " << row.toStdString();
        }
    }
}

class DialogTexts : public ::testing::TestWithParam<UiLanguage> {
protected:
    StorageTempFolder folder;
    test::ScriptedDialogs dialogs;

    void SetUp() override {
        test::EnsureApplication();
        ASSERT_TRUE(UseLanguage(GetParam())) << "no translation for " << Name(GetParam());
        folder.CreateData();
        LoadSettings();
    }
    void TearDown() override { UseLanguage(UiLanguage::Japanese); }
};

TEST_P(DialogTexts, SettingsDialogTextsFitTheirControls) {
    Tavrelle_P d(DataFolder, SaverSettings, &dialogs, [](QWidget*) {});
    // The widest values the changing labels take.
    d.lbl_Kensu->setText(CountCaption(32767));
    d.F_Size->setText(SizeCaption(65535, 65535));
    d.Cmd[Tavrelle_P::kDelete].SetVisible(true);
    CheckLabels(d, GetParam());
    d.lbl_Kensu->setText(CountCaption(1));
    CheckLabels(d, GetParam());
}

TEST_P(DialogTexts, ScheduleDialogTextsAndRowsFitInEveryMode) {
    ScheduleRecord schedule;
    schedule.Mode = 1;
    for (int day = 0; day < 8; ++day)
        for (int hour = 0; hour < 25; ++hour) schedule.SetCell(day, hour, '9');
    ASSERT_TRUE(WriteScheduleFile(SchedulePath(DataFolder), schedule));
    Tavrelle_T d(DataFolder);
    d.show();
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        d.SelectScheduleMode(mode);
        if (mode == 3) {
            d.List_1->setCurrentRow(3);
            d.DayRowClicked();
            CheckRows(d.List_1, GetParam());
        }
        CheckRows(mode == 1 ? d.List_1 : d.List_2[0], GetParam());
        if (mode != 1) CheckRows(d.List_2[1], GetParam());
        CheckLabels(d, GetParam());
    }
}

TEST_P(DialogTexts, RowLabelsKeepTheCharacterTheCellIsReadFrom) {
    for (int day = 0; day < 7; ++day) {
        EXPECT_EQ(WeekdayLabel(day).size(), 4) << day;
        EXPECT_EQ(CellFromRow(WeekdayLabel(day) + QLatin1Char('7'), 4), '7') << day;
    }
    for (int hour = 0; hour < 24; ++hour) {
        EXPECT_EQ(HourLabel(hour).size(), 8) << hour;
        EXPECT_EQ(CellFromRow(HourLabel(hour) + QLatin1Char('7'), 8), '7') << hour;
    }
}

// The count label's number decides the English word's form; Japanese has one.
TEST(Translations, TheCountLabelTakesTheNumbersForm) {
    test::EnsureApplication();
    ASSERT_TRUE(UseLanguage(UiLanguage::English));
    EXPECT_EQ(CountCaption(0), QStringLiteral("0 pictures"));
    EXPECT_EQ(CountCaption(1), QStringLiteral("1 picture"));
    EXPECT_EQ(CountCaption(32767), QStringLiteral("32767 pictures"));
    EXPECT_EQ(SizeCaption(2000, 1000), QStringLiteral("Size: 2000 × 1000"));
    UseLanguage(UiLanguage::Japanese);
    EXPECT_EQ(CountCaption(1), QStringLiteral("1 件"));
    EXPECT_EQ(SizeCaption(2000, 1000), QStringLiteral("Size ： 2000 * 1000"));
}

// A text left untranslated (or marked unfinished) is shown in Japanese, or
// not at all, on an English desktop.
TEST(Translations, EveryTextHasItsEnglish) {
    const char* source = std::getenv("TAVRELLE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string ts = test::ReadText(std::string(source) + "/translations/tavrelle_en.ts");
    for (const char* missing : {"type=\"unfinished\"", "<translation></translation>", "<numerusform></numerusform>",
                                "type=\"vanished\"", "type=\"obsolete\""}) {
        const std::size_t at = ts.find(missing);
        EXPECT_EQ(at, std::string::npos) << missing << " near: " << ts.substr(at > 200 ? at - 200 : 0, 300);
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogTexts, ::testing::Values(UiLanguage::Japanese, UiLanguage::English),
                         [](const auto& info) { return std::string(Name(info.param)); });

}  // namespace
}  // namespace tav

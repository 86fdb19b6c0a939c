// The schedule dialog (class Tavrelle_T): which picture group a slide show shows by weekday, by
// hour, or by hour of each weekday. It edits the schedule file's record in
// memory and writes it on OK; every opening reads the file anew.
//
// Group labels are enabled only between a row click and the next assignment
// or mode switch, and only for groups whose list holds at least two
// pictures, so a schedule never names a group the show cannot run.
#pragma once

#include <QStringList>

#include <array>
#include <string>

#include "dialogs/DialogFrame.h"
#include "dialogs/DialogWidgets.h"
#include "storage/ScheduleFile.h"

class QListWidget;

namespace tav {

class SystemDialogs;

class Tavrelle_T : public DialogFrame {
    Q_OBJECT
public:
    // Edits the schedule file of dataFolder. dialogs shows the message of a
    // failed write (the desktop's when null).
    explicit Tavrelle_T(std::string dataFolder, QWidget* parent = nullptr, SystemDialogs* dialogs = nullptr);

    static constexpr int kPanelWidth = 421;
    static constexpr int kPanelHeight = 377;
    static constexpr int kClearLabel = 10;

    void SelectScheduleMode(int mode);
    void FillHourLists(int day);
    void FindUsableGroups();
    // Handlers of clicks on a weekday row and on a row of hour list k.
    void DayRowClicked();
    void HourRowClicked(int list);
    void AssignGroup(int n);
    // OK: writes the record and closes; a failed write keeps the dialog open.
    void Confirm();

    const ScheduleRecord& Schedule() const { return schedule_; }

    TexturePanel* Pic_B0 = nullptr;        // the main panel
    std::array<TexturePanel*, 4> Pic_B{};  // 1 weekday, 2 hour, 3 group frame
    std::array<PressLabel*, 4> Img_1{};    // mode pictures
    std::array<PressLabel*, 4> lbl_1{};    // mode captions
    QListWidget* List_1 = nullptr;         // weekdays
    std::array<QListWidget*, 2> List_2{};  // hours 0 ... 11 and 12 ... 23
    std::array<QLabel*, 11> Img_Group{};
    std::array<PressLabel*, 11> lbl_Group{};
    FaceButton OkButton, CancelButton;

    std::array<bool, 11> UsableGroups{};
    QStringList RowTexts;
    int SelectedDayRow = 0;
    int SelectedHourList = 0;
    int SelectedHourRow = 0;

private:
    void BuildModeRow();
    void BuildDayFrame();
    void BuildHourFrame();
    void BuildGroupFrame();
    void ApplyCursor();
    // Gives every control its object name (Img_1_0, List_2_1, lbl_Group_10, ...).
    void NameControls();
    QListWidget* MakeList(QWidget* parent, const QRect& geometry);
    void SetGroupLabelsEnabled(bool usableOnly);
    void ConnectFace(FaceButton& button, bool confirm);

    std::string dataFolder_;
    SystemDialogs* dialogs_;
    ScheduleRecord schedule_;
};

// Opens the schedule dialog of dataFolder modally over owner.
void RunScheduleDialog(QWidget* owner, const std::string& dataFolder, SystemDialogs* dialogs = nullptr);

}  // namespace tav

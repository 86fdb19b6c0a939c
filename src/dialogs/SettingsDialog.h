// The settings dialog (class Tavrelle_P): the ten picture groups with their picture lists and
// display and music options, the mouse lock, the schedule command, and saving.
//
// The dialog edits its own copy of the settings it is given, and writes them
// to the data folder only when they are saved. The edited group is
// CurrentGroup; the option selectors write straight into the edited group's
// values (MouseLock into the settings), while the interval, speed, opacity,
// colour, CD track, music file and the picture list live in their controls
// until StoreGroupControls copies them back (on a group switch and on saving).
#pragma once

#include <QPoint>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/DialogFrame.h"
#include "dialogs/DialogWidgets.h"
#include "storage/SettingsModel.h"

class QTimer;

class QComboBox;
class QListWidget;
class QScrollBar;

namespace tav {

struct DecodedPicture;
struct ThumbnailLoad;

class SystemDialogs;

// The dialog's caption, by which a running copy is found (in every language
// the program speaks).
inline constexpr const char* kSettingsWindowTitle = QT_TRANSLATE_NOOP("tav::Tavrelle_P", "Tavrelleの設定");

// One row of option pictures with their clickable captions.
struct OptionSelector {
    std::vector<PressLabel*> Images;
    std::vector<PressLabel*> Labels;
    std::function<void(std::int16_t)> Write;
    std::function<void(int)> After;
};

class Tavrelle_P : public DialogFrame {
    Q_OBJECT
public:
    // Builds the dialog on settings (as read from dataFolder) and loads the
    // lists from dataFolder. dialogs answers the file, folder and colour
    // choices (the desktop's own when null); openSchedule runs the schedule
    // dialog for command 9 (the real one, modally, when empty).
    Tavrelle_P(std::string dataFolder, SaverSettingsData settings, SystemDialogs* dialogs = nullptr,
               std::function<void(QWidget*)> openSchedule = {});

    // The settings as edited so far; the edited group's controls reach them
    // on a group switch and on saving (StoreGroupControls).
    const SaverSettingsData& Settings() const { return settings_; }
    // The edited group's values, as the option selectors have set them.
    const GroupSettings& EditedGroup() const { return edited_; }

    // Width and height of the window: the main panel plus the title strip.
    static constexpr int kPanelWidth = 577;
    static constexpr int kPanelHeight = 473;
    static constexpr int kTitleHeight = 20;

    // Command indices of lbl_Cmd / Img_Cmd.
    enum Command {
        kChooseMusic = 0,
        kSave = 2,
        kCancel = 3,
        kAddFile = 4,
        kAddFolder = 5,
        kDelete = 6,
        kClear = 8,
        kSchedule = 9,
        kChooseColour = 10,
        kCommandCount = 11
    };

    void SwitchGroup(int n);
    void ColourGroupLabels();
    void StoreGroupControls();
    void ShowGroupSettings();
    void AddPictureFile();
    void AddPictureFolder();
    // Where the folder chooser opens: the user's pictures folder while the
    // list is empty, else the folder of the list's last picture.
    QString FolderChooserStart() const;
    void DeleteSelectedEntry();
    void ClearList();
    void ShowThumbnail();
    void SaveAndExit();
    void ChooseBackColor();
    void ChooseMusicFile();
    void RunCommand(int index);
    void SelectOption(OptionSelector& selector, int index);

    // The list entries as they stand.
    std::vector<std::string> ListEntries() const;
    // The colour of the sample label as a COLORREF.
    std::int32_t BackColour() const { return backColour_; }
    void SetBackColour(std::int32_t colorRef);
    // Interval shown by Intval (its upper end is 10).
    int IntervalValue() const;
    void SetIntervalValue(int seconds);
    // The thumbnail box and whether a picture is in it.
    bool ThumbnailShowsPicture() const { return thumbnailHasPicture_; }

    // Controls, named as the rest of the program knows them.
    QLabel* Image1 = nullptr;  // title picture, the drag area
    PressLabel* ImgExit = nullptr;
    std::array<TexturePanel*, 4> Pic_C{};
    TexturePanel* Pic_B = nullptr;
    std::array<QLabel*, 12> Img_H{};
    std::array<FaceButton, kCommandCount> Cmd{};
    std::array<PressLabel*, 10> lbl_Group{};
    std::array<PressLabel*, 10> Img_Group{};
    QListWidget* List_1 = nullptr;
    QLabel* lbl_Kensu = nullptr;
    QLabel* Pic_K = nullptr;
    QLabel* F_Size = nullptr;
    QScrollBar* Intval = nullptr;
    QLabel* lbl_Time = nullptr;
    QScrollBar* Slide = nullptr;
    QLabel* lbl_Slide = nullptr;
    QScrollBar* HS_Trans = nullptr;
    QLabel* lbl_Trans = nullptr;
    QLabel* lbl_C = nullptr;
    QLabel* lbl_Fname = nullptr;
    QComboBox* BGM_Repeat = nullptr;
    OptionSelector Pre, PicSize, FitG, Kind, KindDisp, Lock, Bgm;

private:
    void BuildTitleStrip();
    void BuildGroupBar();
    void BuildPictureFrame();
    void BuildOptionFrame();
    void BuildMusicFrame();
    void BuildBottomRow();
    OptionSelector MakeSelector(QWidget* parent, const std::vector<QPoint>& places, const QStringList& captions,
                                const std::vector<int>& captionWidths);
    void ConnectSelector(OptionSelector& selector);
    void ConnectCommand(int index);
    void EmptyThumbnail();
    // Puts a read picture into the thumbnail box with its size; false when it
    // could not be read.
    bool PaintThumbnail(const DecodedPicture& picture);
    // Shows the picture still being read once it has come in, if its entry
    // is still the chosen one.
    void ThumbnailCameIn();
    void PaintGroupDigit(int n, bool hasPictures);
    void UpdateCountLabel(bool emptyWhenZero);
    void ApplyCursor();
    // Gives every control its object name (lbl_Cmd_4, Img_Pre_1, List_1, ...).
    void NameControls();

    // The most entries the add commands let a list grow to: as many as a show
    // plays. A longer list read from its file is shown and saved whole.
    static constexpr int kMaxListEntries = 32767;
    // Room left for added entries; shows the message when there is none.
    int RoomForEntries();

    std::string dataFolder_;
    SaverSettingsData settings_;
    GroupSettings edited_;
    SystemDialogs* dialogs_;
    // The edited group's list file holds more entries than the dialog could
    // read: the list box is then not written over it, which would cut it.
    bool listCut_ = false;
    std::function<void(QWidget*)> openSchedule_;
    std::int32_t backColour_ = 0;
    bool thumbnailHasPicture_ = false;
    // The chosen entry's picture, still being read (a file on a share that
    // does not answer), and the timer that looks for it.
    std::shared_ptr<ThumbnailLoad> pendingThumbnail_;
    QTimer* thumbnailPoll_ = nullptr;
    QPoint thumbnailSlot_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

// Hand-over to the settings dialog: shows it modally on the settings read
// from dataFolder and returns when it closes (the process then ends with the
// returned status). Called by the entry routine with a QApplication created
// and the data folder prepared.
int RunSettingsDialog(const std::string& dataFolder, const SaverSettingsData& settings);

}  // namespace tav

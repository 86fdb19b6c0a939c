// The schedule dialog, class Tavrelle_T.
#include "dialogs/ScheduleDialog.h"

#include <QCursor>
#include <QListWidget>

#include "dialogs/DialogPictures.h"
#include "dialogs/DialogValues.h"
#include "dialogs/SystemDialogs.h"
#include "storage/AtomicFile.h"
#include "storage/PictureListFile.h"
#include "storage/SettingsModel.h"

namespace tav {

namespace {

// The width and height the desktop's frame adds to the panel.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 27;

}  // namespace

Tavrelle_T::Tavrelle_T(std::string dataFolder, QWidget* parent, SystemDialogs* dialogs)
    : DialogFrame(parent, {}, tr("曜日・時刻で設定"), QSize(kPanelWidth, kPanelHeight),
                  QSize(kFrameWidth, kFrameHeight)),
      dataFolder_(std::move(dataFolder)),
      dialogs_(dialogs) {
    Pic_B0 = new TexturePanel(this, QRect(0, 0, kPanelWidth, kPanelHeight), false);
    MakeText(Pic_B0, QRect(16, 8, 390, 18), tr("ﾌｧｲﾙﾊﾟﾀｰﾝを曜日・時刻で設定変更（起動時）"));
    BuildModeRow();
    BuildDayFrame();
    BuildHourFrame();
    BuildGroupFrame();
    OkButton = MakeFaceButton(Pic_B0, QRect(208, 344, 93, 17), QStringLiteral("OK"));
    CancelButton = MakeFaceButton(Pic_B0, QRect(308, 344, 93, 17), tr("ｷｬﾝｾﾙ"));
    ConnectFace(OkButton, true);
    ConnectFace(CancelButton, false);

    // The dialog opens the file like the rest of the program's files: an
    // absent one is created empty (and counts as no schedule).
    const std::string path = SchedulePath(dataFolder_);
    EnsureFileExists(path);
    schedule_ = LoadScheduleOrBlank(path);
    SelectScheduleMode(schedule_.Mode);
    FindUsableGroups();

    ApplyCursor();
    NameControls();
}

void Tavrelle_T::BuildModeRow() {
    const int modeX[4] = {16, 92, 184, 276};
    const int captionWidth[4] = {58, 74, 74, 120};
    const QString captions[4] = {tr("設定なし"), tr("曜日で変更"), tr("時刻で変更"), tr("曜日と時刻で変更")};
    for (int m = 0; m < 4; ++m) {
        Img_1[m] = MakePicture(Pic_B0, QRect(modeX[m], 36, kSelectorSize, kSelectorSize), SelectorPicture(false));
        lbl_1[m] = MakeText(Pic_B0, QRect(modeX[m] + 17, 32, captionWidth[m], 21), captions[m]);
        connect(Img_1[m], &PressLabel::pressed, this, [this, m](QPoint) { SelectScheduleMode(m); });
        connect(lbl_1[m], &PressLabel::pressed, this, [this, m](QPoint) { SelectScheduleMode(m); });
    }
}

void Tavrelle_T::BuildDayFrame() {
    Pic_B[1] = new TexturePanel(Pic_B0, QRect(12, 64, 137, 201), true);
    MakeHeading(Pic_B[1], QRect(6, 4, 125, 21), tr("曜日で設定"));
    List_1 = MakeList(Pic_B[1], QRect(12, 28, 109, 160));
    connect(List_1, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { DayRowClicked(); });
}

void Tavrelle_T::BuildHourFrame() {
    Pic_B[2] = new TexturePanel(Pic_B0, QRect(156, 64, 249, 201), true);
    MakeHeading(Pic_B[2], QRect(6, 4, 237, 21), tr("時刻で設定"));
    for (int k = 0; k < 2; ++k) {
        List_2[k] = MakeList(Pic_B[2], QRect(12 + 112 * k, 28, 109, 160));
        connect(List_2[k], &QListWidget::itemClicked, this, [this, k](QListWidgetItem*) { HourRowClicked(k); });
    }
}

void Tavrelle_T::BuildGroupFrame() {
    Pic_B[3] = new TexturePanel(Pic_B0, QRect(12, 272, 393, 57), true);
    MakeHeading(Pic_B[3], QRect(6, 5, 381, 21), tr("選択できるｸﾞﾙｰﾌﾟ"));
    QFont digitFont = font();
    digitFont.setBold(true);
    for (int n = 0; n <= kClearLabel; ++n) {
        const QRect place = n < kClearLabel ? QRect(8 + 28 * n, 32, 25, 16) : QRect(288, 32, 93, 16);
        Img_Group[n] = new QLabel(Pic_B[3]);
        Img_Group[n]->setGeometry(place);
        Img_Group[n]->setPixmap(GroupPicture(place.size(), false));
        lbl_Group[n] = MakeText(Pic_B[3], place, n < kClearLabel ? QString::number(n) : tr("ｸﾘｱ"), Qt::AlignCenter);
        lbl_Group[n]->setFont(digitFont);
        connect(lbl_Group[n], &PressLabel::pressed, this,
                [this, n](QPoint) { Img_Group[n]->setPixmap(GroupPicture(Img_Group[n]->size(), true)); });
        connect(lbl_Group[n], &PressLabel::released, this, [this, n](QPoint) {
            Img_Group[n]->setPixmap(GroupPicture(Img_Group[n]->size(), false));
            AssignGroup(n);
        });
    }
}

void Tavrelle_T::ApplyCursor() {
    const QCursor cursor = DialogCursor();
    for (QWidget* w :
         std::initializer_list<QWidget*>{List_1, List_2[0], List_2[1], OkButton.Caption, CancelButton.Caption})
        w->setCursor(cursor);
    for (int m = 0; m < 4; ++m) {
        Img_1[m]->setCursor(cursor);
        lbl_1[m]->setCursor(cursor);
    }
    for (PressLabel* label : lbl_Group) label->setCursor(cursor);
}

void Tavrelle_T::NameControls() {
    for (int m = 0; m < 4; ++m) {
        Img_1[m]->setObjectName(QStringLiteral("Img_1_%1").arg(m));
        lbl_1[m]->setObjectName(QStringLiteral("lbl_1_%1").arg(m));
    }
    for (int i = 1; i < 4; ++i) Pic_B[i]->setObjectName(QStringLiteral("Pic_B_%1").arg(i));
    List_1->setObjectName(QStringLiteral("List_1"));
    for (int k = 0; k < 2; ++k) List_2[k]->setObjectName(QStringLiteral("List_2_%1").arg(k));
    for (int n = 0; n <= kClearLabel; ++n) {
        Img_Group[n]->setObjectName(QStringLiteral("Img_Group_%1").arg(n));
        lbl_Group[n]->setObjectName(QStringLiteral("lbl_Group_%1").arg(n));
    }
}

QListWidget* Tavrelle_T::MakeList(QWidget* parent, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setGeometry(geometry);
    list->setFont(FixedPitchFont(12));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

void Tavrelle_T::ConnectFace(FaceButton& button, bool confirm) {
    FaceButton* b = &button;
    connect(b->Caption, &PressLabel::pressed, this, [b](QPoint) { b->SetPressed(true); });
    connect(b->Caption, &PressLabel::released, this, [this, b, confirm](QPoint) {
        b->SetPressed(false);
        b->Face->repaint();
        if (confirm)
            Confirm();
        else
            reject();
    });
}

void Tavrelle_T::SetGroupLabelsEnabled(bool usableOnly) {
    for (int n = 0; n <= kClearLabel; ++n) lbl_Group[n]->setEnabled(usableOnly && UsableGroups[n]);
}

void Tavrelle_T::SelectScheduleMode(int mode) {
    for (int m = 0; m < 4; ++m) Img_1[m]->setPixmap(SelectorPicture(m == mode));
    SetGroupLabelsEnabled(false);
    if (mode >= 1 && mode <= 3) {
        List_1->clear();
        List_2[0]->clear();
        List_2[1]->clear();
    }
    switch (mode) {
    case 1:
        Pic_B[1]->show();
        Pic_B[2]->hide();
        for (int i = 0; i < 7; ++i) List_1->addItem(WeekdayLabel(i) + CellText(schedule_.Cell(i + 1, 0)));
        break;
    case 2:
        Pic_B[1]->hide();
        Pic_B[2]->show();
        FillHourLists(0);
        break;
    case 3:
        Pic_B[1]->show();
        Pic_B[2]->hide();
        for (int i = 0; i < 7; ++i) List_1->addItem(WeekdayName(i));
        break;
    default:
        Pic_B[1]->hide();
        Pic_B[2]->hide();
        break;
    }
    schedule_.Mode = static_cast<std::int16_t>(mode);
}

void Tavrelle_T::FillHourLists(int day) {
    for (int i = 0; i < 12; ++i) {
        List_2[0]->addItem(HourLabel(i) + CellText(schedule_.Cell(day, i + 1)));
        List_2[1]->addItem(HourLabel(12 + i) + CellText(schedule_.Cell(day, i + 13)));
    }
}

void Tavrelle_T::FindUsableGroups() {
    for (int n = 0; n < kGroupCount; ++n) UsableGroups[n] = CountListRecords(PictureListPath(dataFolder_, n)) >= 2;
    UsableGroups[kClearLabel] = true;
}

void Tavrelle_T::DayRowClicked() {
    const int row = List_1->currentRow();
    if (row < 0) return;
    SelectedDayRow = row;
    if (schedule_.Mode == 1) {
        RowTexts.clear();
        for (int i = 0; i < List_1->count(); ++i) RowTexts << List_1->item(i)->text();
        SetGroupLabelsEnabled(true);
    } else if (schedule_.Mode == 3) {
        Pic_B[2]->show();
        List_2[0]->clear();
        List_2[1]->clear();
        FillHourLists(SelectedDayRow + 1);
        SetGroupLabelsEnabled(false);
    }
}

void Tavrelle_T::HourRowClicked(int list) {
    if (list < 0 || list > 1) return;
    const int row = List_2[list]->currentRow();
    // A click beside the rows changes nothing, so the rows copied from the
    // other list are never rebuilt into this one.
    if (row < 0) return;
    SelectedHourList = list;
    SelectedHourRow = row;
    if (schedule_.Mode == 2 || schedule_.Mode == 3) {
        RowTexts.clear();
        for (int i = 0; i < List_2[list]->count(); ++i) RowTexts << List_2[list]->item(i)->text();
        SetGroupLabelsEnabled(true);
    }
}

void Tavrelle_T::AssignGroup(int n) {
    if (n < 0 || n > kClearLabel) return;
    const QString digit = n < kClearLabel ? lbl_Group[n]->text() : QString();
    const int mode = schedule_.Mode;
    if (mode == 1) {
        if (RowTexts.size() != 7 || SelectedDayRow < 0 || SelectedDayRow > 6) return;
        List_1->clear();
        for (int i = 0; i < 7; ++i) List_1->addItem(i == SelectedDayRow ? WeekdayLabel(i) + digit : RowTexts[i]);
        SetGroupLabelsEnabled(false);
        schedule_.SetCell(SelectedDayRow + 1, 0, CellFromRow(List_1->item(SelectedDayRow)->text(), 4));
    } else if (mode == 2 || mode == 3) {
        if (RowTexts.size() != 12 || SelectedHourRow < 0 || SelectedHourRow > 11) return;
        QListWidget* list = List_2[SelectedHourList];
        const int hour = SelectedHourRow + 12 * SelectedHourList;
        list->clear();
        for (int i = 0; i < 12; ++i) list->addItem(i == SelectedHourRow ? HourLabel(hour) + digit : RowTexts[i]);
        SetGroupLabelsEnabled(false);
        const int day = mode == 2 ? 0 : SelectedDayRow + 1;
        schedule_.SetCell(day, hour + 1, CellFromRow(list->item(SelectedHourRow)->text(), 8));
    }
}

void Tavrelle_T::Confirm() {
    if (!WriteScheduleFile(SchedulePath(dataFolder_), schedule_)) {
        ReportWriteFailure(dialogs_, this, SchedulePath(dataFolder_));
        return;
    }
    accept();
}

void RunScheduleDialog(QWidget* owner, const std::string& dataFolder, SystemDialogs* dialogs) {
    Tavrelle_T dialog(dataFolder, owner, dialogs);
    dialog.exec();
}

}  // namespace tav

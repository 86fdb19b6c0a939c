// The settings dialog, class Tavrelle_P.
#include "dialogs/SettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/ColourQt.h"
#include "dialogs/DialogPictures.h"
#include "dialogs/DialogValues.h"
#include "dialogs/FolderScan.h"
#include "dialogs/ScheduleDialog.h"
#include "dialogs/SystemDialogs.h"
#include "pictures/PictureLoader.h"
#include "platform/WorkerDescriptors.h"
#include "storage/PictureListFile.h"
#include "storage/Settings.h"
#include "x11/WindowHelpers.h"

namespace tav {

namespace {

// The desktop's dialogs hand back at most what their fixed buffers held: a
// file path of 254 bytes, a folder of 255.
constexpr std::size_t kFileBufferChars = 255;
constexpr std::size_t kFolderBufferChars = 256;

std::optional<std::string> FromBuffer(const std::optional<std::string>& chosen, std::size_t bufferChars) {
    if (!chosen) return std::nullopt;
    std::string text = chosen->substr(0, chosen->find('\0'));
    if (text.empty() || text.size() >= bufferChars) return std::nullopt;
    return text;
}

QListWidgetItem* MakeListItem(const std::string& path) {
    auto* item = new QListWidgetItem(QString::fromStdString(path));
    // The exact bytes are kept, so a name that is not valid UTF-8 is saved unchanged.
    item->setData(Qt::UserRole, QByteArray::fromStdString(path));
    return item;
}

const QColor kThumbnailGrey(196, 202, 212);

// How long choosing an entry waits for its picture. A picture on a share that
// has stopped answering shows the empty box meanwhile, and the dialog goes on.
constexpr std::chrono::milliseconds kThumbnailWait{250};
// How often the dialog looks whether such a picture has come in.
constexpr std::chrono::milliseconds kThumbnailPoll{100};
constexpr std::size_t kMaxThumbnailReads = 4;

}  // namespace

// A thumbnail read on a thread of its own, shared with that thread, which
// may outlive the dialog.
struct ThumbnailLoad {
    std::string path;
    std::mutex mutex;
    std::condition_variable finished;
    bool ready = false;
    DecodedPicture picture;

    bool Ready() {
        std::lock_guard lock(mutex);
        return ready;
    }

    // Reads path's thumbnail, waiting at most kThumbnailWait. A file whose
    // previous read has not returned is not read again: its read is shared.
    // Only a few reads run at once, so arrows held down over a list on a
    // share that stopped answering leave few threads behind.
    static std::shared_ptr<ThumbnailLoad> Start(const std::string& path) {
        // Never destroyed: a read that returns while the process ends still finds them.
        static std::mutex* const runningMutex = new std::mutex;
        static auto* const running = new std::map<std::string, std::weak_ptr<ThumbnailLoad>>;
        std::shared_ptr<ThumbnailLoad> load;
        {
            std::lock_guard lock(*runningMutex);
            if (const auto found = running->find(path); found != running->end()) load = found->second.lock();
            if (!load && running->size() >= kMaxThumbnailReads) {
                // So many reads are stuck that this one would most likely
                // join them: the empty box, without asking the file.
                load = std::make_shared<ThumbnailLoad>();
                load->path = path;
                load->ready = true;
            } else if (!load) {
                load = std::make_shared<ThumbnailLoad>();
                load->path = path;
                (*running)[path] = load;
                try {
                    std::thread([load] {
                        LeaveSharedDescriptors();
                        DecodedPicture picture = LoadPictureFile(
                            load->path, [](QSize natural) { return ThumbnailSize(natural.width(), natural.height()); },
                            kThumbnailGrey.rgb());
                        {
                            std::lock_guard lock(load->mutex);
                            load->picture = std::move(picture);
                            load->ready = true;
                        }
                        load->finished.notify_all();
                        std::lock_guard lock(*runningMutex);
                        running->erase(load->path);
                    }).detach();
                } catch (const std::system_error&) {
                    running->erase(path);
                    load->ready = true;  // no thread to be had: an empty box
                }
            }
        }
        std::unique_lock lock(load->mutex);
        load->finished.wait_for(lock, kThumbnailWait, [&] { return load->ready; });
        return load;
    }
};

Tavrelle_P::Tavrelle_P(std::string dataFolder, SaverSettingsData settings, SystemDialogs* dialogs,
                       std::function<void(QWidget*)> openSchedule)
    : DialogFrame(nullptr, Qt::Dialog | Qt::FramelessWindowHint, tr(kSettingsWindowTitle),
                  QSize(kPanelWidth, kPanelHeight + kTitleHeight)),
      dataFolder_(std::move(dataFolder)),
      settings_(std::move(settings)),
      dialogs_(dialogs ? dialogs : &DesktopDialogs()),
      openSchedule_(std::move(openSchedule)) {
    // Every control indexes the groups with CurrentGroup.
    if (settings_.CurrentGroup < 0 || settings_.CurrentGroup >= kGroupCount) settings_.CurrentGroup = 0;
    // The panel and its frames are tiled as they are made.
    Pic_B = new TexturePanel(this, QRect(0, kTitleHeight, kPanelWidth, kPanelHeight), false);
    BuildTitleStrip();
    BuildGroupBar();
    BuildPictureFrame();
    BuildOptionFrame();
    BuildMusicFrame();
    BuildBottomRow();

    SwitchGroup(settings_.CurrentGroup);
    EmptyThumbnail();
    ColourGroupLabels();
    BGM_Repeat->clear();
    for (int i = 0; i <= 30; ++i) BGM_Repeat->addItem(i == 0 ? QString() : QString::number(i));
    // Filling the items changed the text; show the group's track again.
    BGM_Repeat->setEditText(FormatCdTrack(edited_.CdTrack));
    for (auto& cmd : Cmd) cmd.SetPressed(false);
    UpdateCountLabel(true);
    ApplyCursor();
    NameControls();
}

void Tavrelle_P::NameControls() {
    auto name = [](QObject* object, const QString& base, int index = -1) {
        if (object) object->setObjectName(index < 0 ? base : base + QLatin1Char('_') + QString::number(index));
    };
    name(Image1, QStringLiteral("Image1"));
    name(ImgExit, QStringLiteral("ImgExit"));
    name(Pic_B, QStringLiteral("Pic_B"));
    for (int i = 0; i < 4; ++i) name(Pic_C[i], QStringLiteral("Pic_C"), i);
    for (int i = 0; i < 12; ++i) name(Img_H[i], QStringLiteral("Img_H"), i);
    for (int i = 0; i < kCommandCount; ++i) {
        name(Cmd[i].Face, QStringLiteral("Img_Cmd"), i);
        name(Cmd[i].Caption, QStringLiteral("lbl_Cmd"), i);
    }
    for (int n = 0; n < kGroupCount; ++n) {
        name(Img_Group[n], QStringLiteral("Img_Group"), n);
        name(lbl_Group[n], QStringLiteral("lbl_Group"), n);
    }
    const std::pair<OptionSelector*, std::pair<const char*, const char*>> selectors[] = {
        {&Pre, {"Img_Pre", "lbl_Pre"}},
        {&PicSize, {"Img_Pic_Size", "lbl_Size_Kbn"}},
        {&FitG, {"Img_Fit_G", "lbl_Fit_G"}},
        {&Kind, {"Img_Kind", "lbl_Kind"}},
        {&KindDisp, {"Img_Kind_Disp", "lbl_Kind_Disp"}},
        {&Lock, {"Img_Lock", "lbl_Lock"}},
        {&Bgm, {"Img_BGM", "lbl_BGM"}},
    };
    for (const auto& [selector, names] : selectors) {
        for (std::size_t i = 0; i < selector->Images.size(); ++i) {
            name(selector->Images[i], QString::fromLatin1(names.first), static_cast<int>(i));
            name(selector->Labels[i], QString::fromLatin1(names.second), static_cast<int>(i));
        }
    }
    name(List_1, QStringLiteral("List_1"));
    name(lbl_Kensu, QStringLiteral("lbl_Kensu"));
    name(Pic_K, QStringLiteral("Pic_K"));
    name(F_Size, QStringLiteral("F_Size"));
    name(Intval, QStringLiteral("Intval"));
    name(lbl_Time, QStringLiteral("lbl_Time"));
    name(Slide, QStringLiteral("Slide"));
    name(lbl_Slide, QStringLiteral("lbl_Slide"));
    name(HS_Trans, QStringLiteral("HS_Trans"));
    name(lbl_Trans, QStringLiteral("lbl_Trans"));
    name(lbl_C, QStringLiteral("lbl_C"));
    name(lbl_Fname, QStringLiteral("lbl_Fname"));
    name(BGM_Repeat, QStringLiteral("BGM_Repeat"));
}

void Tavrelle_P::BuildTitleStrip() {
    auto* title = MakePicture(this, QRect(0, 0, kPanelWidth, kTitleHeight), TitlePicture({kPanelWidth, kTitleHeight}));
    Image1 = title;
    connect(title, &PressLabel::pressed, this, [this](QPoint global) {
        dragging_ = true;
        dragOffset_ = global - frameGeometry().topLeft();
    });
    connect(title, &PressLabel::moved, this, [this](QPoint global) {
        if (dragging_) move(global - dragOffset_);
    });
    connect(title, &PressLabel::anyButtonReleased, this, [this] { dragging_ = false; });

    auto* caption = MakeText(this, QRect(12, 2, 300, 16), tr(kSettingsWindowTitle));
    QPalette pal = caption->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(pal);
    // The caption lies on the drag area and must not take its presses.
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);

    ImgExit = MakePicture(this, QRect(560, 3, kCloseImageSize, kCloseImageSize), CloseImage(false));
    connect(ImgExit, &PressLabel::pressed, this, [this](QPoint) { ImgExit->setPixmap(CloseImage(true)); });
    connect(ImgExit, &PressLabel::released, this, [this](QPoint) {
        ImgExit->setPixmap(CloseImage(false));
        ImgExit->repaint();
        reject();
    });
}

void Tavrelle_P::BuildGroupBar() {
    Pic_C[0] = new TexturePanel(Pic_B, QRect(12, 8, 549, 33), true);
    Img_H[0] = MakeHeading(Pic_C[0], QRect(6, 6, 84, 21), tr("ｸﾞﾙｰﾌﾟ"));
    QFont digitFont = font();
    digitFont.setBold(true);
    digitFont.setPixelSize(14);
    for (int n = 0; n < 10; ++n) {
        const QRect place(100 + 44 * n, 6, 40, 21);
        Img_Group[n] = MakePicture(Pic_C[0], place, GroupPicture(place.size(), false));
        lbl_Group[n] = MakeText(Pic_C[0], place, QString::number(n), Qt::AlignCenter);
        lbl_Group[n]->setFont(digitFont);
        connect(lbl_Group[n], &PressLabel::pressed, this, [this, n](QPoint) { SwitchGroup(n); });
    }
}

void Tavrelle_P::BuildPictureFrame() {
    QWidget* f = Pic_C[1] = new TexturePanel(Pic_B, QRect(12, 48, 429, 277), true);
    Img_H[1] = MakeHeading(f, QRect(6, 6, 84, 21), tr("画像ﾌｧｲﾙ"));
    lbl_Kensu = MakeText(f, QRect(98, 6, 100, 21), QString());

    List_1 = new QListWidget(f);
    List_1->setGeometry(6, 32, 281, 156);
    List_1->setSelectionMode(QAbstractItemView::SingleSelection);
    List_1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List_1->setTextElideMode(Qt::ElideNone);
    List_1->setUniformItemSizes(true);
    connect(List_1, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { ShowThumbnail(); });
    // An entry chosen with the keyboard (arrows, Home/End, Page Up/Down,
    // typing its first letters) counts as a click, so the thumbnail always
    // shows the entry the delete command would remove. A mouse press makes
    // its entry current before selecting it, and its click follows, so the
    // selected test keeps a click from loading the picture twice.
    connect(List_1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current) {
        if (current && current->isSelected()) ShowThumbnail();
    });

    thumbnailSlot_ = QPoint(313, 32);
    thumbnailPoll_ = new QTimer(this);
    thumbnailPoll_->setInterval(kThumbnailPoll);
    connect(thumbnailPoll_, &QTimer::timeout, this, [this] { ThumbnailCameIn(); });
    Pic_K = new QLabel(f);
    Pic_K->setGeometry(QRect(thumbnailSlot_, QSize(kThumbnailSide, kThumbnailSide)));
    F_Size = MakeText(f, QRect(292, 123, 131, 16), QString(), Qt::AlignCenter);

    const QRect commands(296, 141, 123, 19);
    Cmd[kAddFile] = MakeFaceButton(f, commands, tr("１件追加"));
    Cmd[kAddFolder] = MakeFaceButton(f, commands.translated(0, 20), tr("ﾌｫﾙﾀﾞで追加"));
    Cmd[kDelete] = MakeFaceButton(f, commands.translated(0, 40), tr("ﾘｽﾄから削除"));
    Cmd[kClear] = MakeFaceButton(f, commands.translated(0, 60), tr("全部ｸﾘｱ"));
    Cmd[kDelete].SetVisible(false);
    for (int i : {kAddFile, kAddFolder, kDelete, kClear}) ConnectCommand(i);

    Img_H[2] = MakeHeading(f, QRect(6, 194, 84, 21), tr("ﾌﾟﾚﾋﾞｭｰ"));
    Pre = MakeSelector(f, {{98, 194}, {150, 194}}, {QStringLiteral("Off"), QStringLiteral("On")}, {30, 30});
    Pre.Write = [this](std::int16_t v) { edited_.PicturePreview = v; };
    Pre.After = [this](int i) {
        if (i == 0) {
            F_Size->clear();
            EmptyThumbnail();
        }
    };
    ConnectSelector(Pre);

    Img_H[3] = MakeHeading(f, QRect(6, 222, 84, 21), tr("画面の大きさ"));
    PicSize =
        MakeSelector(f, {{98, 222}, {176, 222}, {254, 222}, {340, 222}},
                     {QStringLiteral("640*480"), QStringLiteral("800*600"), QStringLiteral("1024*768"), tr("ﾌﾙｽｸﾘｰﾝ")},
                     {58, 58, 66, 66});
    PicSize.Write = [this](std::int16_t v) { edited_.AreaSize = v; };
    ConnectSelector(PicSize);

    MakeText(f, QRect(8, 250, 200, 21), tr("指定のｻｲｽﾞに実画像を合わせる"));
    FitG = MakeSelector(f, {{212, 250}, {264, 250}}, {QStringLiteral("Off"), QStringLiteral("On")}, {30, 30});
    FitG.Write = [this](std::int16_t v) { edited_.FitMode = v; };
    ConnectSelector(FitG);
}

void Tavrelle_P::BuildOptionFrame() {
    QWidget* f = Pic_C[2] = new TexturePanel(Pic_B, QRect(448, 48, 113, 277), true);
    const QStringList order = {tr("順次"), tr("ﾗﾝﾀﾞﾑ")};

    Img_H[4] = MakeHeading(f, QRect(6, 6, 101, 21), tr("画像転換"));
    Kind = MakeSelector(f, {{8, 30}, {54, 30}}, order, {28, 40});
    Kind.Write = [this](std::int16_t v) { edited_.EffectOrder = v; };
    ConnectSelector(Kind);

    Img_H[5] = MakeHeading(f, QRect(6, 56, 101, 21), tr("画像表示"));
    KindDisp = MakeSelector(f, {{8, 80}, {54, 80}}, order, {28, 40});
    KindDisp.Write = [this](std::int16_t v) { edited_.PictureOrder = v; };
    ConnectSelector(KindDisp);

    Img_H[6] = MakeHeading(f, QRect(6, 106, 101, 21), tr("ｲﾝﾀｰﾊﾞﾙ"));
    // The bar runs from -10 at the top to 0 at the bottom, so its upper arrow
    // (which lowers a scroll bar's value) raises the interval.
    Intval = new QScrollBar(Qt::Vertical, f);
    Intval->setGeometry(16, 130, 17, 38);
    Intval->setRange(-10, 0);
    Intval->setSingleStep(1);
    Intval->setPageStep(1);
    lbl_Time = MakeText(f, QRect(38, 140, 30, 18), QStringLiteral("0"), Qt::AlignRight | Qt::AlignVCenter);
    MakeText(f, QRect(72, 140, 20, 18), tr("秒"));
    connect(Intval, &QScrollBar::valueChanged, this,
            [this](int) { lbl_Time->setText(QString::number(IntervalValue())); });

    Img_H[7] = MakeHeading(f, QRect(6, 174, 101, 21), tr("背景色"));
    lbl_C = new QLabel(f);
    lbl_C->setGeometry(10, 199, 58, 19);
    lbl_C->setAutoFillBackground(true);
    lbl_C->setFrameStyle(QFrame::Box | QFrame::Plain);
    Cmd[kChooseColour] = MakeFaceButton(f, QRect(74, 199, 32, 19), QStringLiteral("..."));
    ConnectCommand(kChooseColour);

    Img_H[8] = MakeHeading(f, QRect(6, 226, 101, 21), tr("移動速度"));
    lbl_Slide = MakeText(f, QRect(76, 226, 28, 21), QString(), Qt::AlignRight | Qt::AlignVCenter);
    {
        QPalette pal = lbl_Slide->palette();
        pal.setColor(QPalette::WindowText, HeadingTextColour());
        lbl_Slide->setPalette(pal);
    }
    MakeText(f, QRect(6, 252, 14, 16), tr("遅"));
    Slide = new QScrollBar(Qt::Horizontal, f);
    Slide->setGeometry(22, 252, 70, 16);
    Slide->setRange(1, 24);
    Slide->setSingleStep(1);
    Slide->setPageStep(1);
    // The label follows only a released thumb.
    Slide->setTracking(false);
    MakeText(f, QRect(95, 252, 14, 16), tr("速"));
    connect(Slide, &QScrollBar::valueChanged, this, [this](int v) { lbl_Slide->setText(QString::number(v)); });
}

void Tavrelle_P::BuildMusicFrame() {
    QWidget* f = Pic_C[3] = new TexturePanel(Pic_B, QRect(12, 332, 549, 81), true);
    Img_H[9] = MakeHeading(f, QRect(6, 6, 70, 21), tr("BGM"));
    Bgm = MakeSelector(f, {{84, 6}, {136, 6}, {204, 6}}, {tr("なし"), tr("音楽CD"), tr("MP3、WAV")}, {32, 48, 70});
    Bgm.Write = [this](std::int16_t v) { edited_.MusicMode = v; };
    ConnectSelector(Bgm);

    MakeText(f, QRect(300, 6, 80, 21), tr("曲目をﾘﾋﾟｰﾄ"));
    BGM_Repeat = new QComboBox(f);
    BGM_Repeat->setGeometry(382, 6, 60, 21);
    BGM_Repeat->setEditable(true);
    BGM_Repeat->setInsertPolicy(QComboBox::NoInsert);

    lbl_Fname = new QLabel(f);
    lbl_Fname->setGeometry(84, 31, 418, 19);
    lbl_Fname->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    lbl_Fname->setAutoFillBackground(true);
    {
        QPalette pal = lbl_Fname->palette();
        pal.setColor(QPalette::Window, QColor(246, 248, 252));
        pal.setColor(QPalette::WindowText, PanelTextColour());
        lbl_Fname->setPalette(pal);
    }
    Cmd[kChooseMusic] = MakeFaceButton(f, QRect(506, 31, 36, 19), QStringLiteral("..."));
    ConnectCommand(kChooseMusic);

    Img_H[10] = MakeHeading(f, QRect(6, 55, 70, 21), tr("半透明"));
    MakeText(f, QRect(84, 55, 46, 21), tr("透明度"));
    MakeText(f, QRect(132, 55, 14, 21), tr("大"));
    HS_Trans = new QScrollBar(Qt::Horizontal, f);
    HS_Trans->setGeometry(148, 58, 300, 16);
    HS_Trans->setRange(1, 255);
    HS_Trans->setSingleStep(1);
    HS_Trans->setPageStep(1);
    MakeText(f, QRect(452, 55, 14, 21), tr("小"));
    lbl_Trans = MakeText(f, QRect(470, 55, 36, 21), QString(), Qt::AlignRight | Qt::AlignVCenter);
    connect(HS_Trans, &QScrollBar::valueChanged, this, [this](int v) { lbl_Trans->setText(QString::number(v)); });
}

void Tavrelle_P::BuildBottomRow() {
    Img_H[11] = MakeHeading(Pic_B, QRect(12, 432, 60, 21), QStringLiteral("Lock"));
    Lock = MakeSelector(Pic_B, {{78, 432}, {122, 432}}, {QStringLiteral("Off"), QStringLiteral("On")}, {26, 26});
    Lock.Write = [this](std::int16_t v) { settings_.MouseLock = v; };
    ConnectSelector(Lock);
    Cmd[kSchedule] = MakeFaceButton(Pic_B, QRect(176, 432, 124, 21), tr("曜日・時刻で設定..."));
    MakeText(Pic_B, QRect(304, 432, 58, 21), QStringLiteral("Ver 1.0"), Qt::AlignCenter);
    Cmd[kSave] = MakeFaceButton(Pic_B, QRect(364, 432, 93, 21), tr("設定"));
    Cmd[kCancel] = MakeFaceButton(Pic_B, QRect(468, 432, 93, 21), tr("ｷｬﾝｾﾙ"));
    ConnectCommand(kSchedule);
    ConnectCommand(kSave);
    ConnectCommand(kCancel);
}

OptionSelector Tavrelle_P::MakeSelector(QWidget* parent, const std::vector<QPoint>& places, const QStringList& captions,
                                        const std::vector<int>& captionWidths) {
    OptionSelector selector;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const QPoint at = places[i];
        selector.Images.push_back(
            MakePicture(parent, QRect(at.x(), at.y() + 4, kSelectorSize, kSelectorSize), SelectorPicture(false)));
        selector.Labels.push_back(
            MakeText(parent, QRect(at.x() + 17, at.y(), captionWidths[i], 21), captions[static_cast<int>(i)]));
    }
    return selector;
}

void Tavrelle_P::ConnectSelector(OptionSelector& selector) {
    OptionSelector* s = &selector;
    for (std::size_t i = 0; i < selector.Images.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(selector.Images[i], &PressLabel::pressed, this, [this, s, index](QPoint) { SelectOption(*s, index); });
        connect(selector.Labels[i], &PressLabel::pressed, this, [this, s, index](QPoint) { SelectOption(*s, index); });
    }
}

void Tavrelle_P::SelectOption(OptionSelector& selector, int index) {
    for (std::size_t i = 0; i < selector.Images.size(); ++i)
        selector.Images[i]->setPixmap(SelectorPicture(static_cast<int>(i) == index));
    if (selector.Write) selector.Write(static_cast<std::int16_t>(index));
    if (selector.After) selector.After(index);
}

void Tavrelle_P::ConnectCommand(int index) {
    FaceButton* button = &Cmd[static_cast<std::size_t>(index)];
    connect(button->Caption, &PressLabel::pressed, this, [button](QPoint) { button->SetPressed(true); });
    connect(button->Caption, &PressLabel::released, this, [this, button, index](QPoint) {
        button->SetPressed(false);
        button->Face->repaint();
        RunCommand(index);
    });
}

void Tavrelle_P::RunCommand(int index) {
    switch (index) {
    case kChooseMusic: ChooseMusicFile(); break;
    case kSave: SaveAndExit(); break;
    case kCancel: reject(); break;
    case kAddFile: AddPictureFile(); break;
    case kAddFolder: AddPictureFolder(); break;
    case kDelete: DeleteSelectedEntry(); break;
    case kClear: ClearList(); break;
    case kSchedule:
        if (openSchedule_)
            openSchedule_(this);
        else
            RunScheduleDialog(this, dataFolder_, dialogs_);
        break;
    case kChooseColour: ChooseBackColor(); break;
    default: break;
    }
}

void Tavrelle_P::ApplyCursor() {
    const QCursor cursor = DialogCursor();
    std::vector<QWidget*> clickable = {ImgExit, List_1, BGM_Repeat, Intval, Slide, HS_Trans};
    for (const OptionSelector* s : {&Pre, &PicSize, &FitG, &Kind, &KindDisp, &Lock, &Bgm}) {
        clickable.insert(clickable.end(), s->Images.begin(), s->Images.end());
        clickable.insert(clickable.end(), s->Labels.begin(), s->Labels.end());
    }
    clickable.insert(clickable.end(), lbl_Group.begin(), lbl_Group.end());
    for (const FaceButton& button : Cmd)
        if (button.Caption) clickable.push_back(button.Caption);
    for (QWidget* widget : clickable) widget->setCursor(cursor);
}

std::vector<std::string> Tavrelle_P::ListEntries() const {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(List_1->count()));
    for (int i = 0; i < List_1->count(); ++i)
        entries.push_back(List_1->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return entries;
}

void Tavrelle_P::SetBackColour(std::int32_t colorRef) {
    backColour_ = colorRef;
    QPalette pal = lbl_C->palette();
    pal.setColor(QPalette::Window, ColorFromColorref(static_cast<Colorref>(colorRef)));
    lbl_C->setPalette(pal);
}

int Tavrelle_P::IntervalValue() const { return -Intval->value(); }

void Tavrelle_P::SetIntervalValue(int seconds) { Intval->setValue(-seconds); }

void Tavrelle_P::StoreGroupControls() {
    edited_.IntervalSeconds = static_cast<std::int16_t>(IntervalValue());
    edited_.BackColor = backColour_;
    edited_.CdTrack = ParseCdTrack(BGM_Repeat->currentText(), edited_.CdTrack);
    edited_.MusicFile = lbl_Fname->property("path").toByteArray().toStdString();
    edited_.EffectSpeed = static_cast<std::int16_t>(Slide->value());
    edited_.Opacity = static_cast<std::int16_t>(HS_Trans->value());
    settings_.Groups[static_cast<std::size_t>(settings_.CurrentGroup)] = edited_;
}

void Tavrelle_P::ShowGroupSettings() {
    SelectOption(Pre, edited_.PicturePreview);
    SelectOption(FitG, edited_.FitMode);
    SelectOption(PicSize, edited_.AreaSize);
    SelectOption(Kind, edited_.EffectOrder);
    SelectOption(KindDisp, edited_.PictureOrder);
    SetIntervalValue(edited_.IntervalSeconds);
    lbl_Time->setText(QString::number(edited_.IntervalSeconds));
    SetBackColour(edited_.BackColor);
    SelectOption(Lock, settings_.MouseLock);
    SelectOption(Bgm, edited_.MusicMode);
    BGM_Repeat->setEditText(FormatCdTrack(edited_.CdTrack));
    lbl_Fname->setText(QString::fromStdString(edited_.MusicFile));
    lbl_Fname->setProperty("path", QByteArray::fromStdString(edited_.MusicFile));
    Slide->setValue(edited_.EffectSpeed);
    lbl_Slide->setText(QString::number(Slide->value()));
    HS_Trans->setValue(edited_.Opacity);
    lbl_Trans->setText(QString::number(HS_Trans->value()));
}

void Tavrelle_P::PaintGroupDigit(int n, bool hasPictures) {
    if (n < 0 || n >= kGroupCount) return;
    QPalette pal = lbl_Group[n]->palette();
    pal.setColor(QPalette::WindowText, hasPictures ? QColor(255, 0, 0) : QColor(0, 0, 0));
    lbl_Group[n]->setPalette(pal);
}

void Tavrelle_P::SwitchGroup(int n) {
    if (n < 0 || n >= kGroupCount) return;
    for (int i = 0; i < kGroupCount; ++i) Img_Group[i]->setPixmap(GroupPicture(Img_Group[i]->size(), i == n));
    const int old = settings_.CurrentGroup;
    if (n != old && old >= 0 && old < kGroupCount) {
        StoreGroupControls();
        if (listCut_ || !WritePictureListFile(PictureListPath(dataFolder_, old), ListEntries())) {
            // The list box holds the only copy of the old group's list; it
            // stays on screen rather than being replaced and lost.
            for (int i = 0; i < kGroupCount; ++i) Img_Group[i]->setPixmap(GroupPicture(Img_Group[i]->size(), i == old));
            ReportWriteFailure(dialogs_, this, PictureListPath(dataFolder_, old));
            return;
        }
        PaintGroupDigit(old, List_1->count() > 0);
    }
    settings_.CurrentGroup = static_cast<std::int16_t>(n);
    edited_ = settings_.Groups[static_cast<std::size_t>(n)];
    ShowGroupSettings();

    List_1->clear();
    // The whole list is read, also beyond what a show plays, so that writing
    // it back keeps every entry.
    const std::string listPath = PictureListPath(dataFolder_, n);
    const std::vector<std::string> entries = ReadPictureListFile(listPath, MaxEditedEntries());
    listCut_ = CountListRecords(listPath) > entries.size();
    for (const std::string& path : entries) List_1->addItem(MakeListItem(path));
    UpdateCountLabel(true);
    F_Size->clear();
    Cmd[kDelete].SetVisible(false);
    EmptyThumbnail();
}

void Tavrelle_P::ColourGroupLabels() {
    for (int n = 0; n < kGroupCount; ++n) {
        const std::string path = PictureListPath(dataFolder_, n);
        PaintGroupDigit(n, FileExists(path) && CountListRecords(path) > 0);
    }
}

void Tavrelle_P::UpdateCountLabel(bool emptyWhenZero) {
    const int count = List_1->count();
    lbl_Kensu->setText(count == 0 && emptyWhenZero ? QString() : CountCaption(count));
}

int Tavrelle_P::RoomForEntries() {
    const int room = kMaxListEntries - List_1->count();
    if (room > 0) return room;
    dialogs_->ShowMessage(this, QStringLiteral("Tavrelle"), ListFullText());
    return 0;
}

void Tavrelle_P::AddPictureFile() {
    if (RoomForEntries() == 0) {
        Cmd[kDelete].SetVisible(false);
        UpdateCountLabel(false);
        return;
    }
    QStringList patterns;
    for (const char* pattern : kPicturePatterns) patterns << QString::fromLatin1(pattern);
    const auto chosen = FromBuffer(
        dialogs_->OpenFile(this, tr("画像ﾌｧｲﾙ (bmp gif jpg wmf png webp tif heic avif)"), patterns, tr("ﾌｧｲﾙを開く")),
        kFileBufferChars);
    if (chosen) List_1->addItem(MakeListItem(*chosen));
    Cmd[kDelete].SetVisible(false);
    UpdateCountLabel(false);
}

void Tavrelle_P::AddPictureFolder() {
    if (RoomForEntries() == 0) {
        Cmd[kDelete].SetVisible(false);
        UpdateCountLabel(false);
        return;
    }
    const auto folder =
        FromBuffer(dialogs_->BrowseFolder(this, tr("フォルダーをクリックして選択状態にしてから ＯＫ を押してください"),
                                          FolderChooserStart()),
                   kFolderBufferChars);
    if (folder) {
        FolderScanHooks hooks;
        hooks.ReportError = [this](const std::string& description) {
            dialogs_->ShowMessage(this, QStringLiteral("Tavrelle"), QString::fromStdString(description));
        };
        // The window repaints while a large folder is read, but no command
        // can start in the middle of the scan.
        hooks.LetEventsRun = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
        const std::vector<std::string> found = ScanPictureFolder(*folder, hooks);
        const int room = kMaxListEntries - List_1->count();
        for (std::size_t i = 0; i < found.size() && static_cast<int>(i) < room; ++i)
            List_1->addItem(MakeListItem(found[i]));
        // The pictures that did not fit are not added, and the user is told.
        if (found.size() > static_cast<std::size_t>(std::max(room, 0)))
            dialogs_->ShowMessage(this, QStringLiteral("Tavrelle"), ListFullText());
    }
    Cmd[kDelete].SetVisible(false);
    UpdateCountLabel(false);
}

QString Tavrelle_P::FolderChooserStart() const {
    std::string folder;
    if (List_1->count() > 0)
        folder = GetFolderOfPath(List_1->item(List_1->count() - 1)->data(Qt::UserRole).toByteArray().toStdString());
    if (folder.empty()) {
        // A bare name, with no folder, starts there too. A desktop that made
        // no pictures folder starts in the home folder, not beside a name
        // that cannot be chosen.
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        return QDir(pictures).exists() ? pictures : QDir::homePath();
    }
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

void Tavrelle_P::DeleteSelectedEntry() {
    const int row = List_1->currentRow();
    if (row < 0 || !List_1->item(row)->isSelected()) return;
    // The entry that becomes current is not chosen by the user.
    const QSignalBlocker quiet(List_1);
    delete List_1->takeItem(row);
    Cmd[kDelete].SetVisible(false);
    UpdateCountLabel(false);
}

void Tavrelle_P::ClearList() {
    List_1->clear();
    // An empty list may be written even over a list too long to read whole:
    // the user asked for all of it to go.
    listCut_ = false;
    F_Size->clear();
    EmptyThumbnail();
    Cmd[kDelete].SetVisible(false);
    PaintGroupDigit(settings_.CurrentGroup, false);
    lbl_Kensu->clear();
}

void Tavrelle_P::EmptyThumbnail() {
    pendingThumbnail_.reset();
    if (thumbnailPoll_) thumbnailPoll_->stop();
    QPixmap box(kThumbnailSide, kThumbnailSide);
    box.fill(kThumbnailGrey);
    DrawButtonEdge(&box, EDGE_RAISED);
    Pic_K->setGeometry(QRect(thumbnailSlot_, box.size()));
    Pic_K->setPixmap(box);
    Pic_K->show();
    thumbnailHasPicture_ = false;
}

bool Tavrelle_P::PaintThumbnail(const DecodedPicture& picture) {
    if (!picture.ok()) return false;
    const QSize size = ThumbnailSize(picture.naturalWidth, picture.naturalHeight);
    F_Size->setText(SizeCaption(picture.naturalWidth, picture.naturalHeight));
    QPixmap box(size.expandedTo(QSize(1, 1)));
    box.fill(kThumbnailGrey);
    {
        QPainter p(&box);
        // Nearest-pixel scaling, like a plain colour-on-colour stretch.
        p.drawImage(QRect(QPoint(0, 0), size), picture.image);
    }
    DrawButtonEdge(&box, EDGE_RAISED);
    const QPoint at =
        thumbnailSlot_ + QPoint((kThumbnailSide - size.width()) / 2, (kThumbnailSide - size.height()) / 2);
    Pic_K->setGeometry(QRect(at, box.size()));
    Pic_K->setPixmap(box);
    Pic_K->show();
    thumbnailHasPicture_ = true;
    return true;
}

void Tavrelle_P::ShowThumbnail() {
    const int row = List_1->currentRow();
    if (row < 0) return;
    Pic_K->hide();
    const std::string path = List_1->item(row)->data(Qt::UserRole).toByteArray().toStdString();
    // Transparent parts show the box's own grey, like the box around a small picture.
    const std::shared_ptr<ThumbnailLoad> load = edited_.PicturePreview == 1 ? ThumbnailLoad::Start(path) : nullptr;
    const bool cameIn = load && load->Ready();
    if (!cameIn || !PaintThumbnail(load->picture)) {
        // Preview off, a picture that cannot be read, or one still coming
        // in: an empty box and no size.
        F_Size->clear();
        EmptyThumbnail();
    }
    if (load && !cameIn) {
        pendingThumbnail_ = load;
        thumbnailPoll_->start();
    }
    if (cameIn) pendingThumbnail_.reset();
    Cmd[kDelete].SetVisible(true);
}

void Tavrelle_P::ThumbnailCameIn() {
    if (!pendingThumbnail_ || !pendingThumbnail_->Ready()) return;
    thumbnailPoll_->stop();
    const std::shared_ptr<ThumbnailLoad> load = std::move(pendingThumbnail_);
    pendingThumbnail_.reset();
    const int row = List_1->currentRow();
    if (row < 0 || !List_1->item(row)->isSelected() || edited_.PicturePreview != 1 ||
        List_1->item(row)->data(Qt::UserRole).toByteArray().toStdString() != load->path)
        return;
    PaintThumbnail(load->picture);
}

void Tavrelle_P::ChooseBackColor() {
    const auto chosen = dialogs_->ChooseColour(this, backColour_, SystemColours());
    if (chosen) SetBackColour(*chosen);
}

void Tavrelle_P::ChooseMusicFile() {
    const auto chosen =
        FromBuffer(dialogs_->OpenFile(this, tr("BGMﾌｧｲﾙ (MP3 WAV)"), {QStringLiteral("*.MP3"), QStringLiteral("*.WAV")},
                                      tr("ﾌｧｲﾙを開く")),
                   kFileBufferChars);
    if (!chosen) return;
    lbl_Fname->setText(QString::fromStdString(*chosen));
    lbl_Fname->setProperty("path", QByteArray::fromStdString(*chosen));
}

void Tavrelle_P::SaveAndExit() {
    StoreGroupControls();
    // A save that did not reach the disk keeps the dialog open, so the
    // settings are not thrown away as if they had been saved.
    std::string failed;
    if (listCut_) failed = PictureListPath(dataFolder_, settings_.CurrentGroup);
    if (listCut_ || !WriteAllSettings(dataFolder_, settings_, ListEntries(), &failed)) {
        ReportWriteFailure(dialogs_, this, failed.empty() ? dataFolder_ : failed);
        return;
    }
    accept();
}

int RunSettingsDialog(const std::string& dataFolder, const SaverSettingsData& settings) {
    // Japanese captions need a font that has them; the desktop's default may not.
    QApplication::setFont(DialogFont(12));
    Tavrelle_P dialog(dataFolder, settings);
    dialog.exec();
    return 0;
}

}  // namespace tav

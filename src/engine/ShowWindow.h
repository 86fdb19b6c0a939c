#pragma once
// The saver window (class Tavrelle_S): covers the screen (or fills the window a desktop screen
// saver lends it), shows the picture area centred on the background colour and
// runs the slide show on its timers.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "effects/EffectHost.h"
#include "engine/FramePresenter.h"
#include "engine/InputWatch.h"
#include "engine/MonitorCovers.h"
#include "engine/SlideShow.h"
#include "surfaces/PictureSlots.h"
#include "x11/ForeignWindow.h"

namespace tav {

class Tavrelle_S;

// The picture area. It only presents the finished display surface: through
// Qt, or, once the window's images took the surface over, by the window's
// own puts (it then has a window of its own that Qt does not paint).
class DisplayArea : public QWidget {
public:
    DisplayArea(Tavrelle_S* owner, const Bitmap& surface);
    // A factor below 1 presents the whole surface shrunk by it, smoothly
    // filtered, to fit a lent window smaller than the area; 0 presents it
    // pixel for pixel. The surface itself keeps the area's size.
    void SetScaled(double factor) { scale_ = factor; }
    double Scale() const { return scale_; }
    // On: the window's own puts show the display; off: Qt paints it.
    void PresentDirectly(bool on);
    bool Direct() const { return direct_; }
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Tavrelle_S* owner_;
    const Bitmap& surface_;
    double scale_ = 0;
    bool direct_ = false;
};

// The show's effect host: frames are painted at once, input runs between
// frames and during sleeps, and the end of the show leaves the transition.
class QtEffectHost : public EffectHost {
public:
    QtEffectHost(SlideSurfaces& surfaces, Tavrelle_S& window) : EffectHost(surfaces), window_(window) {}
    void Refresh() override;
    void DoEvents() override;
    void Sleep(int ms) override;
    void BeginTransition() override;
    void ShowDirect() override;
    // Milliseconds of sleep asked for so far, for the measuring tool.
    long long requestedSleepMs = 0;
    // Frames presented so far, for the same.
    long long frames = 0;
    // Paints straight to the window so far, for the same: each is a change the
    // eye sees, like a frame, though they reach the screen gathered.
    long long directPaints = 0;
    // Pixels of the display presented as changed so far, for the same.
    long long changedPixels = 0;

private:
    Tavrelle_S& window_;
    bool justPresented_ = false;  // nothing but input has run since the last frame went out
    QElapsedTimer clock_;
    qint64 deadline_ = 0;  // nanoseconds on clock_: the transition's start plus its sleeps so far
    QElapsedTimer directClock_;
};

struct SaverOptions {
    char commandSwitch = 'S';      // '\0' for a start without a command line
    unsigned long hostWindow = 0;  // a window to run inside, 0 = a window of our own
    // End the process in ExitShow itself, once the music is off, instead of
    // returning to the event loop: nothing else is left to do, and a worker
    // still composing a picture is not waited for.
    bool endProcessOnExit = false;
    // The group whose show goes on where it stopped last time, and records
    // where it stands after every slide; -1 starts at the list's start.
    int resumeGroup = -1;
    bool mouseLock = false;  // mouse movement and clicks do not end the show
};

class Tavrelle_S : public QWidget, private ShowTimers {
public:
    // values and pictures: the group to show, copied; pictures holds at least two entries.
    Tavrelle_S(SaverOptions options, const CurrentValues& values, const PictureListData& pictures);
    ~Tavrelle_S() override;

    // The start-up sequence, the first transition included.
    void Start();
    // The single exit path.
    void ExitShow();
    bool Ended() const { return ended_; }

    void HandleMouseDown();
    void HandleMouseMove(InputWatch::Surface surface, float x, float y);
    DisplayArea* Display() { return display_; }
    // Repaints the part of the display changed since the last frame.
    void PresentChanges();
    // Sends the area of the display (in its widget's coordinates) again.
    void RepaintDisplay(const QRect& area);
    // The drawing of the next frame is about to begin; see FramePresenter.
    void BeforeDrawing(bool mayMove);
    // How often the drawing moved to the other image, for the measuring tool.
    long long ImageMoves() const;
    QtEffectHost& effectHost() { return host_; }
    const SlideShow& slideShow() const { return show_; }
    // Lets input run until the deadline of `clock` (nanoseconds) or the end of the show.
    void WaitUntil(const QElapsedTimer& clock, qint64 deadlineNs);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetSlideInterval(int ms) override { timer3_.setInterval(ms); }
    void EnableSlideTimer(bool on) override { on ? timer3_.start() : timer3_.stop(); }
    void EnableCdPoll(bool on) override { on ? timer2_.start() : timer2_.stop(); }
    bool CdPollEnabled() const override { return timer2_.isActive(); }
    void EnableMp3Restart(bool on) override { on ? timer1_.start() : timer1_.stop(); }

    void Act(const std::vector<InputAction>& actions);
    void PlaceWindow();
    // Sizes the picture area in device pixels and centres it in the window;
    // in a lent window too small for the area, shrinks it to fit.
    void CentreDisplay();
    void OnSlideTimer();
    void WatchComposedPictures();
    // Lets the display draw straight into the window's images where it can.
    void OpenPresenter();

    SaverOptions options_;
    CurrentValues values_;
    PictureListData pictures_;
    SlideSurfaces surfaces_;
    QtEffectHost host_;
    SlideShow show_;
    InputWatch input_;
    DisplayArea* display_ = nullptr;
    std::unique_ptr<FramePresenter> presenter_;
    MonitorCovers covers_;
    QTimer timer1_, timer2_, timer3_;
    ForeignEmbedding embedding_;
    QEventLoop* sleeping_ = nullptr;
    bool ended_ = false;
    bool cursorHidden_ = false;
};

// What the top of the program hands the show, all resolved before it starts:
// the command line read once, the run's group chosen and selected, its list read.
struct ShowPlan {
    char commandSwitch = 'S';      // as SaverOptions::commandSwitch
    unsigned long hostWindow = 0;  // the window a desktop saver lent the show, or 0
    int group = 0;                 // the run's group
    bool mouseLock = false;
    CurrentValues values;          // the group's values (GroupValues)
    PictureListData pictures;      // at least two entries
    std::string dataFolder;        // where the copies' music lock is taken
};

// Hand-over to the saver window: shows the slide show and runs the event loop
// until the show ends. Returns the process exit status. Called by the entry
// routine with a QApplication created.
// In a window a desktop saver lends, the show of the plan's group goes on where
// it stopped the last time (the saver restarts it at every activation); a show
// of its own always starts at the list's start.
int RunSlideShow(ShowPlan plan);

// The window a desktop screen saver lends the show: $XSCREENSAVER_WINDOW, or
// the number after "-window-id" on the command line; 0 when there is none.
// Such a saver starts one copy per monitor, so these copies run side by side.
unsigned long SaverHostWindow();

}  // namespace tav

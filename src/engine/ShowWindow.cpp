// The saver window, class Tavrelle_S.
#include "engine/ShowWindow.h"

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <signal.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/ColourQt.h"
#include "base/CommandLine.h"
#include "base/Identity.h"
#include "base/Text.h"
#include "effects/EffectTable.h"
#include "engine/VirtualKeys.h"
#include "music/BackgroundMusic.h"
#include "platform/InstanceLock.h"
#include "platform/Random.h"
#include "platform/WorkerDescriptors.h"
#include "storage/ResumeState.h"
#include "x11/ForeignWindow.h"
#include "x11/WindowHelpers.h"

namespace tav {

namespace {

// Descriptors below this are shut and closed as the process ends.
int g_descriptorLimit = 1024;

// Takes the show off the screen and closes every descriptor, using only calls
// a signal handler may make. A loader asleep in the kernel on a file system
// that stopped answering keeps the process, and every descriptor with it,
// until the file answers, however the process ends: without this, the X
// connection would stay open and the last frame on the screen. Shutting the
// connection's socket ends it for the X server at once, even while another
// thread waits on it; closing the rest lets go of the single-instance locks.
void LeaveScreen() noexcept {
    for (int fd = 3; fd < g_descriptorLimit; ++fd) ::shutdown(fd, SHUT_RDWR);
    if (::close_range(3, ~0u, 0) != 0)
        for (int fd = 3; fd < g_descriptorLimit; ++fd) ::close(fd);
}

[[noreturn]] void LeaveScreenAndEnd() noexcept {
    std::fflush(nullptr);
    LeaveScreen();
    ::_exit(0);
}

// A request to end (from the desktop's saver, or kill) takes the show off the
// screen before the process goes, then ends it as that signal would.
void EndOnSignal(int signal) {
    LeaveScreen();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void EndOnSignals() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        g_descriptorLimit = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 4096));
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::signal(signal, &EndOnSignal);
}

}  // namespace

DisplayArea::DisplayArea(Tavrelle_S* owner, const Bitmap& surface) : QWidget(owner), owner_(owner), surface_(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

void DisplayArea::PresentDirectly(bool on) {
    // Qt neither paints this window nor flushes its back buffer over it: the
    // window's images are all it shows.
    if (on) setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen, on);
    direct_ = on;
    if (on) winId();
}

QPaintEngine* DisplayArea::paintEngine() const { return direct_ ? nullptr : QWidget::paintEngine(); }

void DisplayArea::paintEvent(QPaintEvent* event) {
    if (direct_) {
        for (const QRect& area : event->region()) owner_->RepaintDisplay(area);
        return;
    }
    if (surface_.empty()) return;
    // Wraps the display surface without copying: pixels are 0x00RRGGBB, which
    // RGB32 reads as opaque colours.
    QImage image(reinterpret_cast<const uchar*>(surface_.pixels().data()), surface_.width(), surface_.height(),
                 surface_.width() * 4, QImage::Format_RGB32);
    if (scale_ > 0) {
        // The whole surface is mapped onto the widget and only the changed
        // part painted: filtering across the part's edge then reads the same
        // neighbours as a full repaint would, so no seams appear.
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), image);
        return;
    }
    const qreal dpr = devicePixelRatioF();
    image.setDevicePixelRatio(dpr);
    // Each changed rectangle is drawn by itself: the box around them all
    // would draw, clipped, every pixel between them.
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        const QRectF source(area.x() * dpr, area.y() * dpr, area.width() * dpr, area.height() * dpr);
        painter.drawImage(QRectF(area), image, source);
    }
}

void DisplayArea::mousePressEvent(QMouseEvent*) { owner_->HandleMouseDown(); }

void DisplayArea::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    owner_->HandleMouseMove(InputWatch::Display, static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void QtEffectHost::Refresh() {
    if (window_.Ended()) throw ShowEnded{};
    ++frames;
    window_.PresentChanges();
    justPresented_ = true;
}

void QtEffectHost::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (window_.Ended()) throw ShowEnded{};
    // Right after a frame the usual sleep follows, by whose end the server
    // has read the frame and the drawing can stay in the same image.
    window_.BeforeDrawing(!justPresented_);
    justPresented_ = false;
}

void QtEffectHost::BeginTransition() {
    if (!clock_.isValid()) clock_.start();
    deadline_ = clock_.nsecsElapsed();
}

void QtEffectHost::Sleep(int ms) {
    if (window_.Ended()) throw ShowEnded{};
    // Every sleep ends at the transition's start plus all its sleeps so far, so
    // drawing and presenting a frame are part of the sleep that follows it, and
    // a frame that came late is made up by the next sleeps instead of
    // lengthening the whole transition.
    requestedSleepMs += ms;
    if (!clock_.isValid()) BeginTransition();
    deadline_ += static_cast<qint64>(std::max(ms, 0)) * 1000000;
    if (deadline_ <= clock_.nsecsElapsed()) {
        // Behind time: no wait, but input still gets its turn.
        QCoreApplication::processEvents();
    } else {
        window_.WaitUntil(clock_, deadline_);
    }
    if (window_.Ended()) throw ShowEnded{};
    window_.BeforeDrawing(true);
    justPresented_ = false;
}

void QtEffectHost::ShowDirect() {
    if (window_.Ended()) throw ShowEnded{};
    ++directPaints;
    // Paints straight to the window come tens of thousands of times in one
    // transition, far more often than a screen can show them; they are
    // gathered and shown every few milliseconds.
    if (!directClock_.isValid() || directClock_.elapsed() >= 8) {
        window_.PresentChanges();
        directClock_.restart();
        justPresented_ = true;
    }
}

void Tavrelle_S::OpenPresenter() {
    presenter_.reset();
    const Bitmap& surface = surfaces_.Display.target();
    const qreal dpr = display_->devicePixelRatioF();
    // A display shrunk to fit a lent window stays on its own path, through
    // Qt, which scales it.
    const bool pixelForPixel = display_->Scale() <= 0 && !surface.empty() &&
                               std::lround(display_->width() * dpr) >= surface.width() &&
                               std::lround(display_->height() * dpr) >= surface.height();
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    std::unique_ptr<FrameSink> sink;
    if (pixelForPixel && x11 && x11->connection()) {
        if (!display_->Direct()) display_->PresentDirectly(true);
        sink = OpenWindowImages(x11->connection(), static_cast<std::uint32_t>(display_->winId()), surface.width(),
                                surface.height());
    }
    if (sink) {
        presenter_ = std::make_unique<FramePresenter>(surfaces_.Display, std::move(sink));
    } else if (display_->Direct()) {
        display_->PresentDirectly(false);
        display_->update();
    }
}

void Tavrelle_S::RepaintDisplay(const QRect& area) {
    if (!presenter_ || !presenter_->Serves()) OpenPresenter();
    if (!presenter_) return;
    const qreal dpr = display_->devicePixelRatioF();
    presenter_->Repaint({static_cast<int>(std::floor(area.left() * dpr)),
                         static_cast<int>(std::floor(area.top() * dpr)),
                         static_cast<int>(std::ceil((area.right() + 1) * dpr)),
                         static_cast<int>(std::ceil((area.bottom() + 1) * dpr))});
}

void Tavrelle_S::BeforeDrawing(bool mayMove) {
    if (presenter_) presenter_->BeforeDrawing(mayMove);
}

long long Tavrelle_S::ImageMoves() const { return presenter_ ? presenter_->moves : 0; }

void Tavrelle_S::PresentChanges() {
    for (const ChangedArea::Box& d : surfaces_.Display.dirty.boxes())
        host_.changedPixels +=
            ChangedArea::Box{std::max(d.x0, 0), std::max(d.y0, 0), std::min(d.x1, surfaces_.Display.width()),
                             std::min(d.y1, surfaces_.Display.height())}
                .area();
    if (display_->Direct()) {
        if (!presenter_ || !presenter_->Serves()) OpenPresenter();
        if (presenter_) {
            presenter_->Present();
            return;
        }
    }
    // Only what the frame changed goes to the screen: most transitions touch a
    // strip or a few blocks per frame, and a whole full-HD frame costs more
    // than a frame's sleep on a slow X server.
    const ChangedArea changed = surfaces_.Display.TakeDirty();
    if (changed.empty()) return;
    const qreal dpr = display_->devicePixelRatioF();
    const double scale = display_->Scale();
    QRegion region;
    for (const ChangedArea::Box& d : changed.boxes()) {
        if (scale > 0) {
            // Shrunk, a changed pixel also colours its neighbours through the
            // filter, so one more pixel is repainted on every side.
            const double k = scale / dpr;
            const int x0 = static_cast<int>(std::floor(d.x0 * k)) - 1, y0 = static_cast<int>(std::floor(d.y0 * k)) - 1;
            const int x1 = static_cast<int>(std::ceil(d.x1 * k)) + 1, y1 = static_cast<int>(std::ceil(d.y1 * k)) + 1;
            region += QRect(x0, y0, x1 - x0, y1 - y0);
        } else {
            const int x0 = static_cast<int>(std::floor(d.x0 / dpr)), y0 = static_cast<int>(std::floor(d.y0 / dpr));
            const int x1 = static_cast<int>(std::ceil(d.x1 / dpr)), y1 = static_cast<int>(std::ceil(d.y1 / dpr));
            region += QRect(x0, y0, x1 - x0, y1 - y0);
        }
    }
    display_->repaint(region.intersected(display_->rect()));
}

Tavrelle_S::Tavrelle_S(SaverOptions options, const CurrentValues& values, const PictureListData& pictures)
    : options_(options),
      values_(values),
      pictures_(pictures),
      host_(surfaces_, *this),
      show_(host_, *this, values_, pictures_),
      input_(InputRules{options.commandSwitch == '\0', options.mouseLock, values_.MusicMode == 1}),
      covers_(this,
              CoverInput{[this] { HandleMouseDown(); },
                         [this](QPointF global) {
                             // One mouse record serves every monitor, so a
                             // move across two of them counts like one.
                             const QPointF p = mapFromGlobal(global);
                             HandleMouseMove(InputWatch::Window, static_cast<float>(p.x()), static_cast<float>(p.y()));
                         },
                         [this](QKeyEvent* event) { keyPressEvent(event); }},
              [this] { CentreDisplay(); }) {
    setWindowTitle(QString::fromLatin1(kSaverWindowTitle));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    surfaces_.Display.trackDirty = true;
    display_ = new DisplayArea(this, surfaces_.Display.target());

    timer3_.setTimerType(Qt::PreciseTimer);
    timer2_.setInterval(200);
    timer1_.setInterval(1000);
    connect(&timer3_, &QTimer::timeout, this, [this] { OnSlideTimer(); });
    WatchComposedPictures();
    if (options_.resumeGroup >= 0) {
        const int group = options_.resumeGroup;
        if (const auto state = ReadResumeState(group, pictures_.Entries(), kEffectCount)) show_.ResumeFrom(*state);
        show_.SetProgressNotice([this, group](const ResumeState& state) {
            // A state that cannot be written only means the next show starts afresh.
            WriteResumeState(group, pictures_.Entries(), state);
        });
    }
    connect(&timer2_, &QTimer::timeout, this, [this] { show_.PollCd(); });
    connect(&timer1_, &QTimer::timeout, this, [this] { show_.RestartMp3(); });
}

Tavrelle_S::~Tavrelle_S() = default;

void Tavrelle_S::PlaceWindow() {
    if (options_.hostWindow != 0) {
        // Inside a desktop screen saver's window: that program owns input and
        // ends us (or destroys its window); we only fill its window.
        embedding_.Embed(*this, options_.hostWindow, [this] { ExitShow(); });
        return;
    }
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? screen->geometry() : QRect(0, 0, values_.AreaWidth, values_.AreaHeight));
}

void Tavrelle_S::CentreDisplay() {
    const qreal dpr = devicePixelRatioF();
    // A desktop saver's preview lends a window smaller than the area: the
    // whole area is shown there, shrunk, rather than its middle cut out.
    double scale = 0;
    int hostWidth = 0, hostHeight = 0;
    if (options_.hostWindow != 0 && ForeignWindowSize(options_.hostWindow, hostWidth, hostHeight) && hostWidth > 0 &&
        hostHeight > 0 && (values_.AreaWidth > hostWidth || values_.AreaHeight > hostHeight))
        scale = std::min(static_cast<double>(hostWidth) / values_.AreaWidth,
                         static_cast<double>(hostHeight) / values_.AreaHeight);
    display_->SetScaled(scale);
    const QSize logical = scale > 0
                              ? QSize(std::max(1, static_cast<int>(std::lround(values_.AreaWidth * scale / dpr))),
                                      std::max(1, static_cast<int>(std::lround(values_.AreaHeight * scale / dpr))))
                              : QSize(static_cast<int>(std::ceil(values_.AreaWidth / dpr)),
                                      static_cast<int>(std::ceil(values_.AreaHeight / dpr)));
    display_->resize(logical);
    display_->move((width() - logical.width()) / 2, (height() - logical.height()) / 2);
    // Scaled or not, the display is presented the way that fits it now.
    if (display_->Direct()) OpenPresenter();
}

void Tavrelle_S::Start() {
    try {
        if (options_.commandSwitch == 'S') {
            setCursor(Qt::BlankCursor);
            cursorHidden_ = true;
        }
        PlaceWindow();
        QPalette pal = palette();
        pal.setColor(QPalette::Window, ColorFromColorref(static_cast<Colorref>(values_.BackColor)));
        setPalette(pal);
        setAutoFillBackground(true);

        show_.Prepare();
        CentreDisplay();

        show();
        OpenPresenter();
        // A hand-edited opacity outside 0 ... 255 would wrap around as an 8-bit
        // value (256 gives an invisible window); it is held at the nearer end,
        // and the file keeps what was written.
        const auto opacity = static_cast<std::uint8_t>(std::clamp<int>(values_.Opacity, 0, 255));
        SetWindowOpacity(this, opacity);
        if (options_.hostWindow == 0)
            covers_.Cover(ColorFromColorref(static_cast<Colorref>(values_.BackColor)), cursorHidden_, opacity);
        raise();
        activateWindow();
        QCoreApplication::processEvents();
        if (options_.hostWindow == 0) {
            grabKeyboard();
            grabMouse();
        }
        show_.Begin();
        // A first picture composed while the window was being shown goes on
        // the screen now, not at the slide timer's first retry.
        show_.Tick();
    } catch (const ShowEnded&) {
    }
}

namespace {

// An eventfd the composing workers write to when a picture is ready. Every
// worker holds a share of it, so one that finishes after the window has gone
// writes to a descriptor still open, which nobody reads any more.
struct ComposedBell {
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    ~ComposedBell() {
        if (fd >= 0) ::close(fd);
    }
    void Ring() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
    }
    void Quiet() const {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t n = ::read(fd, &count, sizeof count);
    }
};

}  // namespace

void Tavrelle_S::WatchComposedPictures() {
    // A slide waiting for its picture is shown the moment the picture is
    // composed, rather than at the next retry of the slide timer.
    auto bell = std::make_shared<ComposedBell>();
    if (bell->fd < 0) return;
    auto* notifier = new QSocketNotifier(bell->fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, bell] {
        bell->Quiet();
        if (show_.Waiting()) OnSlideTimer();
    });
    // The loaders ring it from descriptor tables of their own.
    KeepDescriptorInWorkers(bell->fd);
    show_.SetComposedNotice([bell] { bell->Ring(); });
}

void Tavrelle_S::OnSlideTimer() {
    try {
        show_.Tick();
    } catch (const ShowEnded&) {
    }
}

void Tavrelle_S::WaitUntil(const QElapsedTimer& clock, qint64 deadlineNs) {
    // Input is handled while waiting, so a key ends the show at once.
    for (;;) {
        const qint64 left = deadlineNs - clock.nsecsElapsed();
        if (left <= 0 || ended_) return;
        if (left < 1500000) {
            // The last fraction of a millisecond is finer than a timer can
            // wait. Input gets its turn, then the thread sleeps to the deadline
            // rather than spinning, which would take the processor from the X
            // server that is still showing the frame.
            QCoreApplication::processEvents();
            const qint64 rest = deadlineNs - clock.nsecsElapsed();
            if (rest > 0 && !ended_) std::this_thread::sleep_for(std::chrono::nanoseconds(rest));
            return;
        }
        QEventLoop loop;
        QTimer deadline;
        deadline.setTimerType(Qt::PreciseTimer);
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(static_cast<int>(left / 1000000) - 1);
        sleeping_ = &loop;
        loop.exec();
        sleeping_ = nullptr;
    }
}

void Tavrelle_S::Act(const std::vector<InputAction>& actions) {
    for (InputAction a : actions) {
        if (ended_) return;
        switch (a) {
        case InputAction::Exit: ExitShow(); break;
        case InputAction::PreviousTrack: PlayPreviousTrack(); break;
        case InputAction::NextTrack: PlayNextTrack(); break;
        }
    }
}

void Tavrelle_S::HandleMouseDown() {
    if (options_.hostWindow == 0) Act(input_.MouseDown());
}

void Tavrelle_S::HandleMouseMove(InputWatch::Surface surface, float x, float y) {
    if (options_.hostWindow == 0) Act(input_.MouseMove(surface, x, y));
}

void Tavrelle_S::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), palette().color(QPalette::Window)); }

void Tavrelle_S::mousePressEvent(QMouseEvent*) { HandleMouseDown(); }

void Tavrelle_S::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    HandleMouseMove(InputWatch::Window, static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void Tavrelle_S::keyPressEvent(QKeyEvent* event) {
    if (options_.hostWindow == 0) Act(input_.KeyDown(VirtualKeyOf(event->key(), event->modifiers())));
}

void Tavrelle_S::closeEvent(QCloseEvent* event) {
    if (!ended_) ExitShow();
    event->accept();
}

void Tavrelle_S::ExitShow() {
    if (ended_) return;
    // The desktop's locker owns the password, so there is nothing to ask here.
    show_.StopMusic();
    if (options_.commandSwitch == 'S') {
        SetSaverRunning(true);
        if (cursorHidden_) unsetCursor();
    }
    ended_ = true;
    timer1_.stop();
    timer2_.stop();
    timer3_.stop();
    embedding_.StopWatching();
    releaseKeyboard();
    releaseMouse();
    covers_.Release();
    // The X server drops the windows and their grabs with the connection.
    if (options_.endProcessOnExit) LeaveScreenAndEnd();
    if (sleeping_) sleeping_->quit();
    hide();
    QCoreApplication::exit(0);
}

unsigned long SaverHostWindow() {
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
    return LentWindowOf(arguments, std::getenv("XSCREENSAVER_WINDOW"));
}

int RunSlideShow(ShowPlan plan) {
    SaverOptions options;
    options.commandSwitch = plan.commandSwitch;
    options.hostWindow = plan.hostWindow;
    options.mouseLock = plan.mouseLock;
    CurrentValues& values = plan.values;
    if (options.hostWindow != 0) {
        // Each copy fills the window it was lent, whatever the primary monitor measures.
        int w = 0, h = 0;
        if (values.AreaSize == 3 && ForeignWindowSize(options.hostWindow, w, h) && w > 0 && h > 0) {
            values.AreaWidth = w;
            values.AreaHeight = h;
            values.AreaCentreX = w / 2.0;
            values.AreaCentreY = h / 2.0;
        }
    }
    // A desktop saver starts one copy per monitor: the copy that takes this
    // lock plays the music, the others show as if the group had none. The
    // lock is held until the show ends.
    std::optional<InstanceLock> music;
    if (options.hostWindow != 0 && values.MusicMode != 0) {
        music = InstanceLock::TryTake(plan.dataFolder, "music");
        if (!music) values.MusicMode = 0;
    }
    if (options.hostWindow != 0) options.resumeGroup = plan.group;
    options.endProcessOnExit = true;
    EndOnSignals();

    SeedRandomFromClock();
    Tavrelle_S window(options, values, plan.pictures);
    QTimer::singleShot(0, &window, [&window] { window.Start(); });
    QApplication::exec();
    // The show ended without ExitShow (the event loop was quit otherwise). A
    // worker may still be composing a picture, perhaps stuck on a file that
    // never answers; it is not waited for, and nothing is torn down under it.
    LeaveScreenAndEnd();
}

}  // namespace tav

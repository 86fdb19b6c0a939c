#include "engine/ShowRun.h"

#include <QApplication>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"
#include "engine/ShowWindow.h"
#include "platform/Random.h"
#include "startup/Entry.h"
#include "startup/InstanceLock.h"
#include "startup/SharedState.h"
#include "x11/ForeignWindow.h"

namespace tav {

unsigned long SaverHostWindow() {
    const QStringList args = QCoreApplication::arguments();
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("-window-id") || args[i] == QLatin1String("--window-id"))
            return ParseWindowId(args[i + 1].toStdString());
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && *env) return ParseWindowId(env);
    return 0;
}

int RunSlideShow() {
    const QStringList args = QCoreApplication::arguments();
    std::vector<std::string> words;
    for (int i = 1; i < args.size(); ++i) words.push_back(args[i].toStdString());
    const std::string line = JoinWithBlanks(words);
    SaverOptions options;
    options.commandSwitch = line.empty() ? '\0' : ParseCommandLine(line).Switch;
    if (options.commandSwitch == '\0' && !line.empty()) options.commandSwitch = 'S';
    if (options.commandSwitch == 'S') options.hostWindow = SaverHostWindow();
    if (options.hostWindow != 0) {
        // Each copy fills the window it was lent, whatever the primary monitor measures.
        int w = 0, h = 0;
        if (Current.AreaSize == 3 && ForeignWindowSize(options.hostWindow, w, h) && w > 0 && h > 0) {
            Current.AreaWidth = w;
            Current.AreaHeight = h;
            Current.AreaCentreX = w / 2.0;
            Current.AreaCentreY = h / 2.0;
        }
    }
    // A desktop saver starts one copy per monitor: the copy that takes this
    // lock plays the music, the others show as if the group had none. The
    // lock is held until the show ends.
    std::optional<InstanceLock> music;
    if (options.hostWindow != 0 && Current.MusicMode != 0) {
        music = InstanceLock::TryTake(DataFolder, "music");
        if (!music) Current.MusicMode = 0;
    }
    options.endProcessOnExit = true;

    SeedRandomFromClock();
    Tavrelle_S window(options);
    QTimer::singleShot(0, &window, [&window] { window.Start(); });
    QApplication::exec();
    // The show ended without ExitShow (the event loop was quit otherwise). A
    // worker may still be composing a picture, perhaps stuck on a file that
    // never answers; it is not waited for, and nothing is torn down under it.
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace tav

#include "engine/ShowRun.h"

#include <QApplication>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "engine/Tavrelle_S.h"
#include "platform/Random.h"
#include "startup/Entry.h"

namespace tav {

namespace {

// Desktop screen savers hand their hacks a window of their own: in
// $XSCREENSAVER_WINDOW, or after "-window-id" in the settings preview.
unsigned long HostWindowFromEnvironment(const QStringList& args) {
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("-window-id") || args[i] == QLatin1String("--window-id"))
            return ParseWindowId(args[i + 1].toStdString());
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && *env) return ParseWindowId(env);
    return 0;
}

}  // namespace

int RunSlideShow() {
    const QStringList args = QCoreApplication::arguments();
    std::string line;
    for (int i = 1; i < args.size(); ++i) line += (i > 1 ? " " : "") + args[i].toStdString();
    SaverOptions options;
    options.commandSwitch = line.empty() ? '\0' : ParseCommandLine(line).Switch;
    if (options.commandSwitch == '\0' && !line.empty()) options.commandSwitch = 'S';
    if (options.commandSwitch == 'S') options.hostWindow = HostWindowFromEnvironment(args);
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

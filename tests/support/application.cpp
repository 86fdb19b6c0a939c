#include "support/application.h"

#include <QApplication>

namespace tav::test {

QApplication& EnsureApplication() {
    static QApplication* application = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
        static int argc = 1;
        static char name[] = "tavrelle-test";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // The texts are checked in Japanese, also when a test program runs outside ctest.
        if (qEnvironmentVariableIsEmpty("TAVRELLE_LANG")) qputenv("TAVRELLE_LANG", "ja");
        return new QApplication(argc, argv);
    }();
    return *application;
}

}  // namespace tav::test

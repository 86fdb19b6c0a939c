// The one Qt application object of a test program.
#pragma once

class QApplication;

namespace tav::test {

// Creates the widget application on first use, on the offscreen platform unless
// QT_QPA_PLATFORM names another, and keeps it until the program ends; an
// application the code under test made first is used as it is.
QApplication& EnsureApplication();

}  // namespace tav::test

// Hand-over to the saver window: shows the slide show and runs the event loop
// until the show ends. Returns the process exit status. Called by the entry
// routine with a QApplication created, the settings loaded, the run's group
// selected (SelectGroup) and PictureList holding at least two entries.
#pragma once

namespace tav {

int RunSlideShow();

// The window a desktop screen saver lends the show: $XSCREENSAVER_WINDOW, or
// the number after "-window-id" on the command line; 0 when there is none.
// Such a saver starts one copy per monitor, so these copies run side by side.
unsigned long SaverHostWindow();

}  // namespace tav

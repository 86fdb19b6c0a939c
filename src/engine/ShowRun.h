// Hand-over to the saver window: shows the slide show and runs the event loop
// until the show ends. Returns the process exit status. Called by the entry
// routine with a QApplication created, the settings loaded, the run's group
// selected (SelectGroup) and PictureList holding at least two entries.
#pragma once

namespace tav {

int RunSlideShow();

}  // namespace tav

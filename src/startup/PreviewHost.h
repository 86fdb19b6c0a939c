// Hand-over to the preview host: draws the still picture inside the X window
// windowId (the small monitor of a screen-saver chooser) and runs the event
// loop until that window goes away. Returns the process exit status.
// Called by the entry routine with a QApplication already created; no setting
// has been read.
#pragma once

namespace tav {

int RunPreview(unsigned long windowId);

}  // namespace tav

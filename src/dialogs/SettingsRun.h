// Hand-over to the settings dialog: shows it modally and returns when it
// closes (the process then ends with the returned status). Called by the
// entry routine with a QApplication created, DataFolder prepared and the
// settings loaded (LoadSettings).
#pragma once

namespace tav {

int RunSettingsDialog();

}  // namespace tav

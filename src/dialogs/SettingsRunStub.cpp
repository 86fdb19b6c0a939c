// Placeholder until the settings dialog exists: the run ends here.
#include "dialogs/SettingsRun.h"

namespace tav {

int RunSettingsDialog() { return 0; }

}  // namespace tav

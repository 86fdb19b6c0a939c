// The names by which a running copy is known to other programs and to other
// copies of itself.
#pragma once

namespace tav {

// Title of the saver window, which marks a running copy like the settings
// dialog's caption (kSettingsWindowTitle) in either language.
inline constexpr const char* kSaverWindowTitle = "Tavrelle_Main";

}  // namespace tav

#include "dialogs/SettingsRun.h"

#include <QApplication>

#include "dialogs/DialogPictures.h"
#include "dialogs/SettingsDialog.h"

namespace tav {

int RunSettingsDialog() {
    // Japanese captions need a font that has them; the desktop's default may not.
    QApplication::setFont(DialogFont(12));
    Tavrelle_P dialog;
    dialog.exec();
    return 0;
}

}  // namespace tav

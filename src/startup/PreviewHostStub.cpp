// Placeholder until the preview host exists: the run ends here.
#include "startup/PreviewHost.h"

namespace tav {

int RunPreview(unsigned long) { return 0; }

}  // namespace tav

// Placeholder until the saver window exists: the run ends here.
#include "engine/ShowRun.h"

namespace tav {

int RunSlideShow() { return 0; }

}  // namespace tav

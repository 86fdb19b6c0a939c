#include "startup/Entry.h"

namespace tav {

int RunEntry(int, char**) { return 0; }

}  // namespace tav

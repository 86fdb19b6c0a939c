#include "platform/LargeBlocks.h"

#include <malloc.h>

namespace tav {

void MapLargeBlocks() { mallopt(M_MMAP_THRESHOLD, 1 << 20); }

}  // namespace tav

#include "HeapTuning.h"

#include <malloc.h>

namespace platform {

void returnLargeBlocksToTheSystem()
{
    constexpr int LargeBlockBytes = 128 * 1024;
    // A fixed threshold also stops the heap from raising it after large frees.
    mallopt(M_MMAP_THRESHOLD, LargeBlockBytes);
}

} // namespace platform

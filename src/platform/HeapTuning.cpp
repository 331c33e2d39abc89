#include "HeapTuning.h"

#include <malloc.h>

namespace platform {

void shareHeapsAmongThreads()
{
    constexpr int Heaps = 2;
    mallopt(M_ARENA_MAX, Heaps);
}

} // namespace platform

#include "Parallel.h"

#include <algorithm>
#include <sched.h>

namespace parallel_testing {
void (*beforeThreadStart)() = nullptr;
}

namespace platform {

std::size_t workerCount()
{
    constexpr std::size_t Most = 4;
    // The processors this process may run on, which a container or a pinned
    // start may hold below those the machine has.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const std::size_t processors = ::sched_getaffinity(0, sizeof allowed, &allowed) == 0
                                       ? std::size_t(CPU_COUNT(&allowed))
                                       : std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(processors, 1, Most);
}

} // namespace platform

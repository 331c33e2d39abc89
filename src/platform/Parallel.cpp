#include "Parallel.h"

#include <algorithm>

namespace platform {

std::size_t workerCount()
{
    constexpr std::size_t Most = 4;
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, Most);
}

} // namespace platform

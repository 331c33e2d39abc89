// Loaded into the program with LD_PRELOAD: kills the process right after the
// Nth link or rename onto a database file (N in SOLVEK_KILL_AFTER_STEP), as a
// crash or a power loss at that moment would.

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

std::atomic<int> steps{0};

void afterStep(const char* target)
{
    const char* killAt = std::getenv("SOLVEK_KILL_AFTER_STEP");
    if (killAt && std::strstr(target, "solvekdat.db") && ++steps == std::atoi(killAt))
        std::raise(SIGKILL);
}

template <typename Call>
Call next(const char* name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int rename(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    const int result = real(from, to);
    if (result == 0)
        afterStep(to);
    return result;
}

extern "C" int link(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("link");
    const int result = real(from, to);
    if (result == 0)
        afterStep(to);
    return result;
}

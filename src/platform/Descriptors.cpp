#include "Descriptors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {
// Beyond this a limit counts as this: more than the system hands out by default.
constexpr rlim_t LargestLimit = 1 << 20;
} // namespace

int descriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    return int(std::min(limit.rlim_cur, LargestLimit));
}

int raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return descriptorLimit();
}

DescriptorCount::DescriptorCount()
{
    open();
}

void DescriptorCount::open()
{
    const int fd = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_openError = errno;
        return;
    }
    m_folder.reset(::fdopendir(fd));
    m_openError = m_folder ? 0 : errno;
    if (!m_folder)
        ::close(fd);
}

bool DescriptorCount::unreadable() const
{
    // Out of descriptors or memory is a shortage that passes.
    return !m_folder && m_openError != 0 && m_openError != EMFILE && m_openError != ENFILE &&
           m_openError != ENOMEM;
}

int DescriptorCount::inUse()
{
    if (!m_folder)
        open(); // none was free when this was made
    if (!m_folder)
        return -1;
    ::rewinddir(m_folder.get());
    const int own = ::dirfd(m_folder.get());
    int count = 0;
    while (const dirent* entry = ::readdir(m_folder.get())) {
        if (entry->d_name[0] == '.')
            continue; // "." and ".."
        if (std::atoi(entry->d_name) != own)
            ++count;
    }
    return count;
}

} // namespace platform

#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, no file of the process grows past the limit: a write that
// would fails with EFBIG, as writes fail on a full disk, since SIGXFSZ is
// ignored meanwhile. Both come back as they were when it goes. Needs no root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set; the test then proves nothing.
    bool isSet() const { return m_set; }

private:
    struct rlimit m_old {};
    struct sigaction m_oldAction {};
    bool m_set = false;
};

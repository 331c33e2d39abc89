#include "FileSizeLimit.h"

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    if (::getrlimit(RLIMIT_FSIZE, &m_old) != 0 || ::sigaction(SIGXFSZ, &ignore, &m_oldAction) != 0)
        return;
    // Only the soft limit: lowering it needs no privilege and it can be raised back.
    struct rlimit limit = m_old;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        ::sigaction(SIGXFSZ, &m_oldAction, nullptr);
        return;
    }
    m_set = true;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_set)
        return;
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    ::sigaction(SIGXFSZ, &m_oldAction, nullptr);
}

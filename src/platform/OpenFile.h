#pragma once

#include <unistd.h>

#include <utility>

namespace platform {

// An open file descriptor, closed when it goes; -1 is none.
class OpenFile {
public:
    explicit OpenFile(int fd = -1) : m_fd(fd) {}
    ~OpenFile() { reset(); }
    OpenFile(OpenFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    OpenFile& operator=(OpenFile&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(std::exchange(m_fd, -1));
    }

private:
    int m_fd;
};

} // namespace platform

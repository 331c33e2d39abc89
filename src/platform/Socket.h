#pragma once

// TCP sockets: one owner per descriptor, and the few calls the probe makes.

#include "SolvekException.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

// A socket call failed; the message is the socket error text.
class SocketException : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

// Owns one socket descriptor and closes it when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : m_fd(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    int release();
    void close() noexcept;

    // Stops both directions; a peer that still reads sees the end of data.
    void shutdownBoth() noexcept;
    // Makes receives give up after the time-out instead of waiting for ever.
    bool setReceiveTimeout(int milliseconds) noexcept;
    // One receive of at most `size` bytes: the count, 0 at the end of data, -1 on failure.
    qint64 receiveOnce(char* buffer, qint64 size) noexcept;
    // One send call (never raises SIGPIPE): the count sent or -1.
    qint64 sendOnce(const QByteArray& bytes) noexcept;

private:
    int m_fd = -1;
};

// A non-blocking TCP socket listening on `port` of every local IPv4 address.
// Raises SocketException with the socket error text when socket, bind or listen fails.
Socket listenTcp(quint16 port, int backlog);

// The port a bound socket listens on (for listeners given port 0).
quint16 localPort(const Socket& socket);

// Accepts one waiting connection of a non-blocking listener, as a blocking
// socket; an invalid Socket when none waits or the accept failed.
Socket acceptConnection(const Socket& listener);

// Whether a failed accept only means that no connection was waiting (or
// that one gave up before it was taken), as opposed to a lack of resources.
bool acceptFoundNothing(int error);

} // namespace platform

#include "Socket.h"

#include "SocketError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

int Socket::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Socket::close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void Socket::shutdownBoth() noexcept
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

bool Socket::setReceiveTimeout(int milliseconds) noexcept
{
    timeval timeout{};
    timeout.tv_sec = milliseconds / 1000;
    timeout.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0;
}

qint64 Socket::receiveOnce(char* buffer, qint64 size) noexcept
{
    ssize_t received;
    do {
        received = ::recv(m_fd, buffer, static_cast<size_t>(size), 0);
    } while (received < 0 && errno == EINTR);
    return received;
}

qint64 Socket::sendOnce(const QByteArray& bytes) noexcept
{
    ssize_t sent;
    do {
        sent = ::send(m_fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

Socket listenTcp(quint16 port, int backlog)
{
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        throw SocketException(lastSocketErrorText());

    // Closed connections linger in TIME_WAIT on our side (we close first);
    // without this a quick off-and-on of the listener could not bind again.
    // Two listeners on one port are still refused.
    const int on = 1;
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw SocketException(lastSocketErrorText());
    if (::listen(socket.fd(), backlog) != 0)
        throw SocketException(lastSocketErrorText());
    return socket;
}

quint16 localPort(const Socket& socket)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

Socket acceptConnection(const Socket& listener)
{
    int fd;
    do {
        fd = ::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return Socket(fd);
}

bool acceptFoundNothing(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == ECONNABORTED || error == EINTR;
}

} // namespace platform

#include "Socket.h"
#include "SocketError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using platform::Socket;

namespace {

Socket connectTo(quint16 port)
{
    Socket client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    EXPECT_EQ(::connect(client.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return client;
}

Socket acceptWaiting(const Socket& listener)
{
    pollfd waiting{listener.fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 10000), 1);
    return platform::acceptConnection(listener);
}

} // namespace

TEST(SocketErrorText, IsCodeColonAndTheSystemsText)
{
    EXPECT_EQ(platform::socketErrorText(EADDRINUSE),
              QString::number(EADDRINUSE) + " : Address already in use");
    EXPECT_EQ(platform::socketErrorText(EACCES), QString::number(EACCES) + " : Permission denied");
}

TEST(SocketErrorText, LastErrorReadsErrno)
{
    errno = ECONNREFUSED;
    EXPECT_EQ(platform::lastSocketErrorText(), platform::socketErrorText(ECONNREFUSED));
}

TEST(Socket, OwnsItsDescriptorAndMovesIt)
{
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    const int first = fds[0];
    {
        Socket a(first);
        Socket b(std::move(a));
        EXPECT_FALSE(a.valid());
        EXPECT_EQ(b.fd(), first);
        Socket c;
        c = std::move(b);
        EXPECT_EQ(c.fd(), first);
    }
    // Closed exactly once: the descriptor is gone now.
    EXPECT_EQ(::fcntl(first, F_GETFD), -1);
    ::close(fds[1]);
}

TEST(Socket, ListenAcceptSendReceive)
{
    Socket listener = platform::listenTcp(0, 5);
    const quint16 port = platform::localPort(listener);
    ASSERT_NE(port, 0);

    Socket client = connectTo(port);
    Socket server = acceptWaiting(listener);
    ASSERT_TRUE(server.valid());

    ASSERT_EQ(::send(client.fd(), "ping", 4, 0), 4);
    char buffer[16] = {};
    EXPECT_EQ(server.receiveOnce(buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "ping");
    EXPECT_EQ(server.sendOnce("pong"), 4);
    EXPECT_EQ(::recv(client.fd(), buffer, sizeof buffer, 0), 4);
}

TEST(Socket, NoWaitingConnectionGivesInvalidSocket)
{
    Socket listener = platform::listenTcp(0, 5);
    EXPECT_FALSE(platform::acceptConnection(listener).valid());
}

TEST(Socket, PortInUseRaisesTheErrorText)
{
    Socket first = platform::listenTcp(0, 5);
    try {
        platform::listenTcp(platform::localPort(first), 5);
        FAIL() << "a second listener on the same port was allowed";
    } catch (const platform::SocketException& e) {
        EXPECT_EQ(e.message(), platform::socketErrorText(EADDRINUSE));
    }
}

TEST(Socket, ReceiveTimeoutEndsAWaitOnASilentPeer)
{
    Socket listener = platform::listenTcp(0, 5);
    Socket client = connectTo(platform::localPort(listener));
    Socket server = acceptWaiting(listener);
    ASSERT_TRUE(server.setReceiveTimeout(50));
    char buffer[8];
    EXPECT_EQ(server.receiveOnce(buffer, sizeof buffer), -1);
    EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);
}

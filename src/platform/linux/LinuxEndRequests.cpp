#include "LinuxEndRequests.h"

#include "SolvekException.h"

#include <QString>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::array EndSignals = {SIGTERM, SIGINT, SIGHUP};

bool ignores(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

// Shared with the handler, which may run on any thread at any moment.
std::atomic<int> requestWriteFd{-1};
std::atomic<bool> ending{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void onEndSignal(int signal)
{
    // The status a shell gives a process ended by that signal.
    if (ending.exchange(true))
        ::_exit(128 + signal);
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    if (::write(requestWriteFd.load(), &number, 1) != 1)
        ::_exit(128 + signal); // nobody can be told: end as without a handler
    errno = savedErrno;
}

} // namespace

class LinuxEndRequests::Pipe {
public:
    Pipe()
    {
        if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throw solvek::Exception(QStringLiteral("Could not create the pipe for end requests: ") +
                                    QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~Pipe()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readFd() const { return m_fds[0]; }
    int writeFd() const { return m_fds[1]; }

private:
    int m_fds[2] = {-1, -1};
};

LinuxEndRequests::LinuxEndRequests() = default;

LinuxEndRequests::~LinuxEndRequests()
{
    if (!m_handlersInstalled)
        return;
    for (size_t index = 0; index < EndSignals.size(); ++index)
        ::sigaction(EndSignals[index], &m_foundActions[index], nullptr);
    requestWriteFd.store(-1);
}

void LinuxEndRequests::watch(std::function<void(int signal)> onRequest)
{
    m_onRequest = std::move(onRequest);
    if (m_handlersInstalled)
        return;
    m_pipe = std::make_unique<Pipe>();
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe->readFd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readRequests(); });
    requestWriteFd.store(m_pipe->writeFd());

    struct sigaction action {};
    action.sa_handler = &onEndSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : EndSignals)
        sigaddset(&action.sa_mask, signal); // one handler at a time per thread
    static_assert(EndSignals.size() == std::tuple_size_v<decltype(m_foundActions)>);
    for (size_t index = 0; index < EndSignals.size(); ++index) {
        ::sigaction(EndSignals[index], nullptr, &m_foundActions[index]);
        if (!ignores(m_foundActions[index]))
            ::sigaction(EndSignals[index], &action, nullptr);
    }
    m_handlersInstalled = true;
}

void LinuxEndRequests::endingBegun()
{
    ending.store(true);
}

void LinuxEndRequests::readRequests()
{
    unsigned char number = 0;
    while (::read(m_pipe->readFd(), &number, 1) == 1)
        if (m_onRequest)
            m_onRequest(number);
}

} // namespace platform

#pragma once

#include "Platform.h"

#include <QSocketNotifier>

#include <array>
#include <memory>
#include <signal.h>

namespace platform {

// SIGTERM, SIGINT and SIGHUP. The handler only writes the signal's number
// into a pipe, the one thing it may safely do; the window thread reads it
// through a socket notifier. A signal once the program has begun to end (or
// a second one before the first was read) ends the process at once. A signal
// ignored when watching begins stays ignored, as nohup and a shell's
// background jobs ask.
class LinuxEndRequests : public EndRequests {
public:
    LinuxEndRequests();
    // Gives the signals back the handling they had before closing the pipe.
    ~LinuxEndRequests() override;
    LinuxEndRequests(const LinuxEndRequests&) = delete;
    LinuxEndRequests& operator=(const LinuxEndRequests&) = delete;

    void watch(std::function<void(int signal)> onRequest) override;
    void endingBegun() override;

private:
    class Pipe;
    void readRequests();

    std::unique_ptr<Pipe> m_pipe;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(int signal)> m_onRequest;
    bool m_handlersInstalled = false;
    std::array<struct sigaction, 3> m_foundActions{}; // each end signal's, before watching
};

} // namespace platform

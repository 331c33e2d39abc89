#pragma once

// The probe: a listener on a TCP port (80 in the program) that answers every
// request with a one-line "site blocked" text and records which host was asked
// for. Blocked hosts resolve to this machine, so their visitors arrive here.

#include "LiveCount.h"
#include "Socket.h"
#include "TThread.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QMutex>
#include <QString>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The 42 bytes every answered connection gets: no status line, header or line end.
QByteArray probeAnswer();

// The text of the "Socket error" box, before the socket error text.
extern const char* const ProbeStartFailureText;

// What one received request asks of the probe.
struct ProbeRequest {
    bool answer = false; // the request names a host ("Host:" in any case)
    bool log = false;    // a line begins with exactly "Host:"
    QString host;        // the rest of that line, unchanged
};

// Judges the bytes of one receive: up to the first zero byte, trimmed of
// blanks and control characters, split at CR, LF or CR LF.
ProbeRequest judgeProbeRequest(QByteArrayView received);

// The probe's limits.
namespace probe_limits {
// One receive reads at most this much.
inline constexpr int ReceiveSize = 8192;
// A connection that sends nothing for this long is closed unanswered.
inline constexpr int ReceiveTimeoutMs = 5000;
// Connection threads alive at once; ready connections beyond wait for a slot.
inline constexpr int ConnectionThreads = 64;
// Connections accepted and waiting for their request or a thread; beyond
// this, or beyond the descriptors the process can spare, the oldest silent
// one is closed to make room.
inline constexpr int WaitingConnections = 4096;
// A waiting connection counts as silent once it has sent nothing for this
// long. Fresher ones are never closed to make room: a client's request comes
// right behind its connection, so newer clients wait in the system's queue
// instead, and are taken once there is room.
inline constexpr int SilentAfterMs = 1000;
// Descriptors the probe always leaves free under a large limit: one for each
// connection thread's event loop (beside its socket), and the rest of the
// program's share (database, windows, downloads).
inline constexpr int MostReservedDescriptors = ConnectionThreads + 128;
// The program's own share at the least, however small the limit.
inline constexpr int LeastReservedDescriptors = 32;
// Descriptors the probe leaves free under an open-files limit: half of it.
// Each socket the probe takes may bring one more that no count has seen yet
// (its thread's event loop), so its sockets and their loops fit in the half
// it may use, and the rest of the program keeps the other half. Under a limit
// near 200 (`ulimit -n 256` on a desktop) some connections still fit.
constexpr int reservedDescriptors(int limit)
{
    return std::clamp(limit / 2, LeastReservedDescriptors, MostReservedDescriptors);
}
// Large enough that a burst of clients is not turned away by the system.
inline constexpr int ListenBacklog = 512;
} // namespace probe_limits

// Queues the record of a request for the host it names: into the record
// writer's queue, unless another step is given (tests slow it down).
using ProbeRecordStep = std::function<void(const QString& host)>;

// Shared by a listener and its connection threads, which may outlive it.
class ProbeConnectionGate {
public:
    ProbeConnectionGate();
    ~ProbeConnectionGate();
    ProbeConnectionGate(const ProbeConnectionGate&) = delete;
    ProbeConnectionGate& operator=(const ProbeConnectionGate&) = delete;

    int alive() const { return m_alive.load(); }
    void connectionStarted() { m_alive.fetch_add(1); }
    // Frees a slot and wakes the listener.
    void connectionEnded();
    // Wakes the listener from its wait.
    void wake();
    // The descriptor the listener waits on; readable after a wake.
    int wakeDescriptor() const { return m_wakeFd; }
    void clearWake();

    // A connection records and answers its request only between these two,
    // and only while answers are open.
    bool beginAnswer();
    void answerDone();
    // Refuses answers from now on and waits until those under way are done
    // or the deadline has passed; true when none is left. After it no
    // record is queued, so a flush that follows covers every answered request.
    bool closeAnswers(QDeadlineTimer deadline);

private:
    std::atomic<int> m_alive{0};
    int m_wakeFd = -1;
    std::mutex m_answerMutex;
    std::condition_variable m_answersDone;
    int m_answering = 0;
    bool m_answersClosed = false;
};

// One accepted connection: one receive, an optional record, the answer, close.
class TProbeCo : public TThread, public LiveCount<TProbeCo> {
public:
    explicit TProbeCo(std::shared_ptr<ProbeConnectionGate> gate = {},
                      int receiveTimeoutMs = probe_limits::ReceiveTimeoutMs,
                      ProbeRecordStep record = {});
    ~TProbeCo() override;

    // Hands over the accepted connection (the thread then owns it).
    void setSock(platform::Socket sock);

protected:
    void Execute() override;

private:
    std::shared_ptr<ProbeConnectionGate> m_gate;
    const int m_receiveTimeoutMs;
    const ProbeRecordStep m_record;
    platform::Socket sock;
};

// The listener. The program creates it running, freeing itself, at the
// highest priority; `stopListening` ends it.
class TProbe : public TThread, public LiveCount<TProbe> {
public:
    static constexpr quint16 ProgramPort = 80;

    // Port 0 listens on a free port the system picks (tests). A connection
    // that sends nothing within the receive time-out is closed unanswered.
    // An empty record step queues records for the record writer.
    explicit TProbe(quint16 port = ProgramPort,
                    int receiveTimeoutMs = probe_limits::ReceiveTimeoutMs,
                    ProbeRecordStep record = {});
    ~TProbe() override;

    // The listening socket; -1 before it listens, after it failed or ended.
    int getSock() const;
    // The port it listens on; 0 until it listens.
    quint16 listeningPort() const { return m_listeningPort.load(); }
    // The socket error text that stopped the start; empty otherwise.
    QString threadMessage() const;

    // The switch-off: shuts the listening socket down and asks the thread to
    // end. The thread closes the socket itself, so a descriptor number reused
    // meanwhile by another connection is never touched.
    void stopListening();
    // At the program's end: stops listening, and waits until the connections
    // that are answering have queued their records and answered (or the
    // deadline has passed); the others are closed unanswered. True when
    // none was left answering.
    bool stopAnswering(QDeadlineTimer deadline);

    // Run on the window thread after the "Socket error" box was closed (the
    // main window switches the probe back to off there).
    std::function<void()> onStartFailed;

protected:
    void Execute() override;

private:
    class Loop;
    void err();
    void closeServerSock();

    const quint16 m_port;
    const int m_receiveTimeoutMs;
    const ProbeRecordStep m_record;
    std::shared_ptr<ProbeConnectionGate> m_gate;
    mutable QMutex m_mutex; // guards serverSock against the window thread's shutdown
    platform::Socket serverSock;
    QString m_threadMessage;
    std::atomic<quint16> m_listeningPort{0};
};

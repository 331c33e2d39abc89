#include "UntProbeThread.h"

#include "Platform.h"
#include "ProbeDescriptorBudget.h"
#include "ProbeLogWriter.h"
#include "SystemText.h"

#include <QMutexLocker>

#include <chrono>
#include <cstdio>
#include <deque>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

const char* const ProbeStartFailureText =
    "Can't start the Solvek Probe system, we wasn't able to start the listen thread on port 80, "
    "notice port 80 (server) must not be use to use this function.";

QByteArray probeAnswer()
{
    return QByteArrayLiteral("<b>Site blocked by Solvek Anti-Bot 3.0</b>");
}

namespace {

// Read in the locale's code page; bytes that are not text there are kept one
// character per byte, so a hostile value is stored as it came (the database
// cannot hold the stand-ins that SystemText uses for such bytes).
QString decodeRequest(QByteArrayView bytes)
{
    const QByteArray raw = bytes.toByteArray();
    QString text = systemtext::decode(raw);
    if (systemtext::hasUndecodedBytes(text))
        return QString::fromLatin1(raw);
    return text;
}

// Why the probe takes no connection, for the user.
QString shutOutText(const ProbeDescriptorBudget& budget)
{
    const int limit = platform::descriptorLimit();
    if (budget.uncountable())
        return QStringLiteral("The Solvek Probe cannot take connections: it cannot count this "
                              "program's open files (/proc/self/fd cannot be read), so it cannot "
                              "keep within the open-files limit of %1.")
            .arg(limit);
    return QStringLiteral("The Solvek Probe cannot take connections: this program holds %1 open "
                          "files, and its open-files limit of %2 keeps %3 free for the rest of "
                          "the program. The probe takes connections once files are free; a "
                          "higher open-files limit (ulimit -n) gives it room.")
        .arg(budget.lastCount())
        .arg(limit)
        .arg(probe_limits::reservedDescriptors(limit));
}

} // namespace

ProbeRequest judgeProbeRequest(QByteArrayView received)
{
    const qsizetype zero = received.indexOf('\0');
    if (zero >= 0)
        received = received.first(zero);

    const QString decoded = decodeRequest(received);
    const QStringView text = systemtext::trimmed(decoded);

    ProbeRequest request;
    const QLatin1StringView header("Host:");
    if (!text.contains(header, Qt::CaseInsensitive))
        return request;
    request.answer = true;
    systemtext::forEachLine(text, [&](QStringView line, qsizetype) {
        if (!request.log && line.startsWith(header, Qt::CaseSensitive)) {
            request.log = true;
            request.host = line.sliced(header.size()).toString();
        }
    });
    return request;
}

// ---------------------------------------------------------------------------
// Connections

ProbeConnectionGate::ProbeConnectionGate() : m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ProbeConnectionGate::~ProbeConnectionGate()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ProbeConnectionGate::connectionEnded()
{
    m_alive.fetch_sub(1);
    wake();
}

void ProbeConnectionGate::wake()
{
    ::eventfd_write(m_wakeFd, 1);
}

void ProbeConnectionGate::clearWake()
{
    eventfd_t value;
    ::eventfd_read(m_wakeFd, &value);
}

bool ProbeConnectionGate::beginAnswer()
{
    std::lock_guard lock(m_answerMutex);
    if (m_answersClosed)
        return false;
    ++m_answering;
    return true;
}

void ProbeConnectionGate::answerDone()
{
    std::lock_guard lock(m_answerMutex);
    if (--m_answering == 0)
        m_answersDone.notify_all();
}

bool ProbeConnectionGate::closeAnswers(QDeadlineTimer deadline)
{
    std::unique_lock lock(m_answerMutex);
    m_answersClosed = true;
    return m_answersDone.wait_for(lock, deadline.remainingTimeAsDuration(),
                                  [&] { return m_answering == 0; });
}

TProbeCo::TProbeCo(std::shared_ptr<ProbeConnectionGate> gate, int receiveTimeoutMs,
                   ProbeRecordStep record)
    : m_gate(std::move(gate)), m_receiveTimeoutMs(receiveTimeoutMs),
      m_record(record ? std::move(record)
                      : [](const QString& host) { ProbeLogWriter::instance().add(host); })
{}

TProbeCo::~TProbeCo()
{
    if (!FreeOnTerminate())
        WaitFor();
}

void TProbeCo::setSock(platform::Socket socket)
{
    sock = std::move(socket);
}

void TProbeCo::Execute()
{
    struct SlotRelease {
        ProbeConnectionGate* gate;
        ~SlotRelease()
        {
            if (gate)
                gate->connectionEnded();
        }
    } slot{m_gate.get()};

    sock.setReceiveTimeout(m_receiveTimeoutMs);
    QByteArray buffer(probe_limits::ReceiveSize, '\0');
    const qint64 received = sock.receiveOnce(buffer.data(), buffer.size());
    if (received > 0 && (!m_gate || m_gate->beginAnswer())) {
        const ProbeRequest request =
            judgeProbeRequest(QByteArrayView(buffer.constData(), received));
        // Queued before the answer: a client that was answered is recorded.
        if (request.log)
            m_record(request.host);
        if (request.answer)
            sock.sendOnce(probeAnswer());
        if (m_gate)
            m_gate->answerDone();
    }
    sock.shutdownBoth();
    sock.close();
}

// ---------------------------------------------------------------------------
// The listener

// Accepted connections wait here, without a thread, until their request has
// arrived; only then does a connection thread take them, so silent clients
// hold no thread and cannot keep others from being answered.
class TProbe::Loop {
public:
    Loop(TProbe& owner, const platform::Socket& listener) : m_owner(owner), m_listener(listener) {}

    void run()
    {
        while (!m_owner.Terminated()) {
            startReadyConnections();
            keepWithinBudget();
            tellIfShutOut();
            waitForEvents();
            if (m_owner.Terminated())
                break;
            readEvents();
            closeExpired();
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto AcceptRetryDelay = std::chrono::milliseconds(100);
    // How long fresh counts must find no room, while the probe holds no
    // connection, before the user is told: a connection thread's event loop
    // outlives its slot for a moment, and the rest of the program opens files
    // for a moment too.
    static constexpr auto ShutOutConfirmation = std::chrono::seconds(1);
    struct Waiting {
        platform::Socket socket;
        Clock::time_point silentAt; // from then on it may be closed to make room
        Clock::time_point deadline;
    };

    bool atWaitingBound() const
    {
        return int(m_waiting.size() + m_ready.size()) >= probe_limits::WaitingConnections;
    }

    bool roomForOne() { return !atWaitingBound() && m_budget.room() > 0; }

    bool oldestIsSilent() const
    {
        return !m_waiting.empty() && m_waiting.front().silentAt <= Clock::now();
    }

    // Descriptors taken meanwhile by the rest of the process are given back
    // by the oldest silent connections.
    void keepWithinBudget()
    {
        for (int over = -m_budget.room(); over > 0 && oldestIsSilent(); --over)
            closeOldestWaiting();
    }

    // A probe that holds no connection and has no room for one takes none,
    // and nothing else would show it: the user is told, once, when counts
    // taken for it have found no room all along.
    void tellIfShutOut()
    {
        const bool holdsNone = m_waiting.empty() && m_ready.empty() && m_owner.m_gate->alive() == 0;
        if (m_shutOutTold || !holdsNone || m_budget.room() > 0 || m_budget.roomByCountNow() > 0) {
            m_shutOutSince.reset();
            return;
        }
        if (!m_shutOutSince)
            m_shutOutSince = Clock::now();
        if (Clock::now() - *m_shutOutSince < ShutOutConfirmation)
            return;
        m_shutOutTold = true;
        const QString text = shutOutText(m_budget);
        std::fprintf(stderr, "Solvek Anti-Bot: %s\n", qPrintable(text));
        platform::messageBoxLater(text, QStringLiteral("Solvek Probe"),
                                  platform::MB_OK | platform::MB_ICONWARNING);
    }

    void closeOldestWaiting()
    {
        m_waiting.pop_front();
        m_budget.closed();
    }

    void startReadyConnections()
    {
        while (!m_ready.empty() && m_owner.m_gate->alive() < probe_limits::ConnectionThreads) {
            auto* connection =
                new TProbeCo(m_owner.m_gate, m_owner.m_receiveTimeoutMs, m_owner.m_record);
            connection->setFreeOnTerminate(true);
            connection->setPriority(tpHighest);
            connection->setSock(std::move(m_ready.front()));
            m_ready.pop_front();
            m_owner.m_gate->connectionStarted();
            connection->Resume();
        }
    }

    void waitForEvents()
    {
        m_polled.clear();
        m_polled.push_back({m_owner.m_gate->wakeDescriptor(), POLLIN, 0});
        const bool room = roomForOne();
        const bool roomToAccept = room || oldestIsSilent(); // room is made by closing it
        const bool acceptPaused = Clock::now() < m_acceptPausedUntil;
        m_polled.push_back({m_listener.fd(), short(roomToAccept && !acceptPaused ? POLLIN : 0), 0});
        for (const Waiting& waiting : m_waiting)
            m_polled.push_back({waiting.socket.fd(), POLLIN, 0});

        std::optional<Clock::time_point> wakeAt;
        const auto wakeBy = [&](Clock::time_point at) {
            if (!wakeAt || at < *wakeAt)
                wakeAt = at;
        };
        if (!m_waiting.empty()) {
            wakeBy(m_waiting.front().deadline);
            if (!roomToAccept)
                wakeBy(m_waiting.front().silentAt); // then it may make room
        }
        if (acceptPaused)
            wakeBy(m_acceptPausedUntil);
        if (!roomToAccept && !atWaitingBound())
            wakeBy(m_budget.nextLook()); // descriptors freed by connection threads show in a count
        int timeoutMs = -1;
        if (wakeAt) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - Clock::now());
            timeoutMs = int(std::max<qint64>(0, left.count()));
        }
        if (::poll(m_polled.data(), m_polled.size(), timeoutMs) < 0)
            m_polled.assign(m_polled.size(), pollfd{-1, 0, 0}); // EINTR: look again
    }

    void readEvents()
    {
        if (m_polled[0].revents)
            m_owner.m_gate->clearWake();

        // Connections with their request (or their end) go to the ready queue.
        std::deque<Waiting> stillWaiting;
        for (std::size_t i = 0; i < m_waiting.size(); ++i) {
            if (m_polled[i + 2].revents)
                m_ready.push_back(std::move(m_waiting[i].socket));
            else
                stillWaiting.push_back(std::move(m_waiting[i]));
        }
        m_waiting.swap(stillWaiting);

        if (m_polled[1].revents)
            acceptWaiting();
    }

    void acceptWaiting()
    {
        for (int accepted = 0; accepted < 256; ++accepted) {
            const bool room = roomForOne();
            if (!room && !oldestIsSilent())
                return; // the connection waits in the queue until there is room
            platform::Socket connection = platform::acceptConnection(m_listener);
            if (!connection.valid()) {
                // Out of descriptors or memory the connection stays queued and
                // the listener readable: retry later instead of spinning.
                if (!platform::acceptFoundNothing(errno))
                    m_acceptPausedUntil = Clock::now() + AcceptRetryDelay;
                return;
            }
            m_budget.opened();
            if (!room)
                closeOldestWaiting(); // the oldest silent connection makes room
            const auto now = Clock::now();
            m_waiting.push_back({std::move(connection),
                                 now + std::chrono::milliseconds(probe_limits::SilentAfterMs),
                                 now + std::chrono::milliseconds(m_owner.m_receiveTimeoutMs)});
        }
    }

    void closeExpired()
    {
        const auto now = Clock::now();
        while (!m_waiting.empty() && m_waiting.front().deadline <= now)
            closeOldestWaiting();
    }

    TProbe& m_owner;
    const platform::Socket& m_listener;
    std::deque<Waiting> m_waiting;
    std::deque<platform::Socket> m_ready;
    std::vector<pollfd> m_polled;
    Clock::time_point m_acceptPausedUntil;
    ProbeDescriptorBudget m_budget;
    std::optional<Clock::time_point> m_shutOutSince; // no room found since
    bool m_shutOutTold = false;
};

TProbe::TProbe(quint16 port, int receiveTimeoutMs, ProbeRecordStep record)
    : m_port(port), m_receiveTimeoutMs(receiveTimeoutMs), m_record(std::move(record)),
      m_gate(std::make_shared<ProbeConnectionGate>())
{}

TProbe::~TProbe()
{
    if (!FreeOnTerminate()) {
        stopListening();
        WaitFor();
    }
}

int TProbe::getSock() const
{
    QMutexLocker lock(&m_mutex);
    return serverSock.valid() ? serverSock.fd() : -1;
}

QString TProbe::threadMessage() const
{
    QMutexLocker lock(&m_mutex);
    return m_threadMessage;
}

void TProbe::stopListening()
{
    Terminate();
    {
        QMutexLocker lock(&m_mutex);
        serverSock.shutdownBoth();
    }
    m_gate->wake();
}

bool TProbe::stopAnswering(QDeadlineTimer deadline)
{
    stopListening();
    return m_gate->closeAnswers(deadline);
}

void TProbe::closeServerSock()
{
    QMutexLocker lock(&m_mutex);
    serverSock.close();
    m_listeningPort.store(0);
}

void TProbe::Execute()
{
    try {
        platform::Socket listener = platform::listenTcp(m_port, probe_limits::ListenBacklog);
        QMutexLocker lock(&m_mutex);
        serverSock = std::move(listener);
        m_listeningPort.store(platform::localPort(serverSock));
    } catch (const platform::SocketException& e) {
        {
            QMutexLocker lock(&m_mutex);
            m_threadMessage = e.message();
        }
        err();
        return;
    }

    // The socket stays ours until the loop ends; the switch-off only shuts it down.
    struct CloseOnExit {
        TProbe& probe;
        ~CloseOnExit() { probe.closeServerSock(); }
    } closeOnExit{*this};
    Loop(*this, serverSock).run();
}

void TProbe::err()
{
    platform::messageBox(nullptr, QString::fromLatin1(ProbeStartFailureText) + threadMessage(),
                         QStringLiteral("Socket error"), platform::MB_OK | platform::MB_ICONERROR);
    if (onStartFailed)
        Synchronize(onStartFailed);
}

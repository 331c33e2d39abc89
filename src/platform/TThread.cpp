#include "TThread.h"

#include "SolvekException.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

class TThread::Runner : public QThread {
public:
    explicit Runner(TThread& owner) : m_owner(owner) {}

protected:
    void run() override { m_owner.threadMain(); }

private:
    TThread& m_owner;
};

namespace {

QThread::Priority toQtPriority(TThreadPriority priority)
{
    switch (priority) {
    case tpIdle:
        return QThread::IdlePriority;
    case tpLowest:
        return QThread::LowestPriority;
    case tpLower:
        return QThread::LowPriority;
    case tpNormal:
        return QThread::NormalPriority;
    case tpHigher:
        return QThread::HighPriority;
    case tpHighest:
        return QThread::HighestPriority;
    case tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

// How long the window thread sleeps between two looks at the posted
// Synchronize calls while it waits for a worker.
constexpr int kWaitSliceMs = 5;

// The Synchronize steps that workers wait for. They are kept apart from the
// rest of the event loop so that a window-thread wait can run them, and only
// them, without letting user input or timers start work of their own.
class WaitingSteps {
public:
    static WaitingSteps& instance()
    {
        // Never destroyed: a worker may still wait in it while the process ends.
        static auto* steps = new WaitingSteps;
        return *steps;
    }

    // On a worker: queues the step, wakes the window thread and waits until
    // the step has run there, wherever the window thread served it.
    void runOnWindowThread(QCoreApplication* app, const std::function<void()>& method)
    {
        Step step{method, nullptr, false};
        {
            std::lock_guard lock(m_mutex);
            m_waiting.push_back(&step);
        }
        const bool posted = QMetaObject::invokeMethod(
            app, [] { TThread::serveSynchronizeCalls(); }, Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        if (!posted) {
            std::erase(m_waiting, &step);
            throw solvek::Exception(QStringLiteral("The window thread did not run the step"));
        }
        m_ran.wait(lock, [&] { return step.done; });
        lock.unlock();
        if (step.failure)
            std::rethrow_exception(step.failure);
    }

    // On the window thread: runs every waiting step, also those queued while
    // it runs. Answers whether one ran.
    bool serve()
    {
        bool ranAny = false;
        while (Step* step = takeNext()) {
            try {
                step->method();
            } catch (...) {
                // The window thread's event loop must not see it; the worker raises it.
                step->failure = std::current_exception();
            }
            {
                std::lock_guard lock(m_mutex);
                step->done = true; // the worker may free the step from here on
            }
            m_ran.notify_all();
            ranAny = true;
        }
        return ranAny;
    }

private:
    struct Step {
        const std::function<void()>& method;
        std::exception_ptr failure;
        bool done = false;
    };

    Step* takeNext()
    {
        std::lock_guard lock(m_mutex);
        if (m_waiting.empty())
            return nullptr;
        Step* next = m_waiting.front();
        m_waiting.pop_front();
        return next;
    }

    std::mutex m_mutex;
    std::condition_variable m_ran;
    std::deque<Step*> m_waiting;
};

} // namespace

TThread::TThread() : m_runner(std::make_unique<Runner>(*this)) {}

TThread::~TThread()
{
    if (m_started.load() && QThread::currentThread() != m_runner.get()) {
        Terminate();
        waitForEnd();
    }
}

void TThread::Start()
{
    if (m_started.exchange(true))
        return;
    m_runner->start(toQtPriority(m_priority));
}

void TThread::setPriority(TThreadPriority priority)
{
    m_priority = priority;
    // A thread not yet started takes its priority from start().
    if (m_runner->isRunning())
        m_runner->setPriority(toQtPriority(priority));
}

void TThread::WaitFor()
{
    if (QThread::currentThread() == m_runner.get())
        throw solvek::Exception(QStringLiteral("A thread cannot wait for itself"));
    if (FreeOnTerminate())
        throw solvek::Exception(QStringLiteral("Cannot wait for a thread that frees itself"));
    waitForEnd();
}

void TThread::waitForEnd()
{
    if (!m_started.load())
        return;
    if (!isWindowThread() || !QCoreApplication::instance()) {
        m_runner->wait();
        return;
    }
    // The worker may be blocked in Synchronize, waiting for this very thread.
    while (!m_runner->wait(QDeadlineTimer(kWaitSliceMs)))
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
}

bool TThread::HasFatalException() const
{
    QMutexLocker lock(&m_fatalMutex);
    return m_hasFatalException;
}

QString TThread::FatalException() const
{
    QMutexLocker lock(&m_fatalMutex);
    return m_fatalException;
}

bool TThread::isWindowThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void TThread::Synchronize(const std::function<void()>& method)
{
    if (isWindowThread()) {
        method();
        return;
    }
    WaitingSteps::instance().runOnWindowThread(QCoreApplication::instance(), method);
}

bool TThread::serveSynchronizeCalls()
{
    return isWindowThread() && WaitingSteps::instance().serve();
}

void TThread::recordFatal(const QString& message)
{
    {
        QMutexLocker lock(&m_fatalMutex);
        if (m_hasFatalException)
            return;
        m_hasFatalException = true;
        m_fatalException = message;
    }
    // Nobody may be watching a thread that frees itself; leave a trace.
    qWarning("Thread ended by an exception: %s", qUtf8Printable(message));
}

void TThread::runGuarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const solvek::Exception& e) {
        recordFatal(e.message());
    } catch (const std::exception& e) {
        recordFatal(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        recordFatal(QStringLiteral("Unknown exception"));
    }
}

void TThread::threadMain()
{
    runGuarded([this] { Execute(); });
    if (OnTerminate)
        runGuarded([this] { Synchronize(OnTerminate); });

    const bool freeSelf = FreeOnTerminate();
    QCoreApplication* app = QCoreApplication::instance();
    // Past this store another thread may delete a thread that does not free
    // itself; only the captured pointer is used below.
    m_finished.store(true);
    if (!freeSelf)
        return;
    if (!app) {
        qWarning("A thread that frees itself needs an application object; it is left in memory");
        return;
    }
    // Deleted on the window thread; the destructor waits until run() has returned.
    TThread* self = this;
    QMetaObject::invokeMethod(
        app, [self] { delete self; }, Qt::QueuedConnection);
}

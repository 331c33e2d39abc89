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

// How long the window thread sleeps between two looks at the workers'
// steps while it waits for a worker.
constexpr int kWaitSliceMs = 5;

// Steps run inside a window-thread wait; touched on the window thread only.
int stepsRunningDuringWait = 0;

QString messageOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const solvek::Exception& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

// The steps that workers send to the window thread, in one queue in the
// order sent, so each worker's steps run in its own order wherever the window
// thread serves them. They are kept apart from the rest of the event loop, so
// a window-thread wait can run the display-only ones, and only those, without
// letting user input, timers or boxes start work of their own.
class WindowSteps {
public:
    static WindowSteps& instance()
    {
        // Never destroyed: a worker may still wait in it while the process ends.
        static auto* steps = new WindowSteps;
        return *steps;
    }

    // On a worker: queues the step and waits until the window thread has run
    // or refused it.
    void runAndWait(const std::function<void()>& method, TThread::StepKind kind)
    {
        const StepPtr step = enqueue(method, kind, true);
        const bool woken = wakeWindowThread(step->number);
        std::unique_lock lock(m_mutex);
        if (!woken && std::erase(m_queue, step) > 0) // not taken by a wait meanwhile
            throw solvek::Exception(QStringLiteral("The window thread did not run the step"));
        m_ran.wait(lock, [&] { return step->done; });
        lock.unlock();
        if (step->failure)
            std::rethrow_exception(step->failure);
    }

    // On a worker: queues a display-only step and returns.
    void queue(std::function<void()> method)
    {
        const StepPtr step = enqueue(std::move(method), TThread::StepKind::DisplayOnly, false);
        wakeWindowThread(step->number);
    }

    // On the window thread, from the event loop: runs the steps queued up to
    // the one numbered last, of every kind, in the order queued.
    void serveUpTo(quint64 last)
    {
        while (const StepPtr step = takeFrontUpTo(last))
            run(*step);
    }

    // On the window thread, inside a wait: runs the display-only steps in
    // the order queued, until none is left or the deadline has passed, and
    // refuses the event-loop-only steps of the worker waited for, if any.
    // Steps left run later, each from its own wake-up or in the next wait.
    // Answers whether a step ran.
    bool serveDuringWait(const QThread* waitedFor, QDeadlineTimer deadline)
    {
        bool ranAny = false;
        while (!deadline.hasExpired()) {
            const StepPtr step = takeForWait(waitedFor);
            if (!step)
                break;
            ++stepsRunningDuringWait;
            run(*step);
            --stepsRunningDuringWait;
            ranAny = true;
        }
        return ranAny;
    }

private:
    struct Step {
        std::function<void()> method;
        TThread::StepKind kind;
        const QThread* worker;
        quint64 number;
        bool awaited; // a worker waits for it
        std::exception_ptr failure;
        bool done = false;
    };
    using StepPtr = std::shared_ptr<Step>;

    StepPtr enqueue(std::function<void()> method, TThread::StepKind kind, bool awaited)
    {
        auto step = std::make_shared<Step>(
            Step{std::move(method), kind, QThread::currentThread(), 0, awaited, nullptr, false});
        std::lock_guard lock(m_mutex);
        step->number = ++m_lastNumber;
        m_queue.push_back(step);
        return step;
    }

    static bool wakeWindowThread(quint64 number)
    {
        return QMetaObject::invokeMethod(
            QCoreApplication::instance(), [number] { instance().serveUpTo(number); },
            Qt::QueuedConnection);
    }

    StepPtr takeFrontUpTo(quint64 last)
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty() || m_queue.front()->number > last)
            return nullptr;
        StepPtr next = std::move(m_queue.front());
        m_queue.pop_front();
        return next;
    }

    // An event-loop-only step is always its worker's last one queued, since
    // the worker waits for it: skipping it leaves no step of its worker behind.
    StepPtr takeForWait(const QThread* waitedFor)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            Step& step = **it;
            if (step.kind == TThread::StepKind::DisplayOnly) {
                StepPtr next = std::move(*it);
                m_queue.erase(it);
                return next;
            }
            if (step.worker == waitedFor) {
                refuse(step);
                it = m_queue.erase(it);
            } else {
                ++it;
            }
        }
        return nullptr;
    }

    // Under the lock: the worker raises it.
    void refuse(Step& step)
    {
        step.failure = std::make_exception_ptr(solvek::Exception(QStringLiteral(
            "The step was not run: the window thread is waiting for this thread to end")));
        step.done = true;
        m_ran.notify_all();
    }

    void run(Step& step)
    {
        try {
            step.method();
        } catch (...) {
            // The window thread's event loop must not see it; the worker raises it.
            if (step.awaited)
                step.failure = std::current_exception();
            else
                qWarning("A queued window step failed: %s",
                         qUtf8Printable(messageOf(std::current_exception())));
        }
        {
            std::lock_guard lock(m_mutex);
            step.done = true; // the worker may go on from here
        }
        m_ran.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_ran;
    std::deque<StepPtr> m_queue;
    quint64 m_lastNumber = 0;
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
    // The worker may be blocked in Synchronize, waiting for this very thread;
    // other workers' steps must not keep the wait from seeing its end.
    while (!m_runner->wait(QDeadlineTimer(kWaitSliceMs)))
        WindowSteps::instance().serveDuringWait(m_runner.get(),
                                                QDeadlineTimer(kWaitSliceMs, Qt::PreciseTimer));
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

void TThread::Synchronize(const std::function<void()>& method, StepKind kind)
{
    if (isWindowThread()) {
        method();
        return;
    }
    WindowSteps::instance().runAndWait(method, kind);
}

void TThread::Queue(std::function<void()> method)
{
    if (isWindowThread()) {
        method();
        return;
    }
    WindowSteps::instance().queue(std::move(method));
}

bool TThread::serveStepsDuringWait(QDeadlineTimer deadline)
{
    // Without an application object the windows the steps touch are gone.
    return QCoreApplication::instance() && isWindowThread() &&
           WindowSteps::instance().serveDuringWait(nullptr, deadline);
}

bool TThread::isRunningStepDuringWait()
{
    return isWindowThread() && stepsRunningDuringWait > 0;
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
    } catch (...) {
        recordFatal(messageOf(std::current_exception()));
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

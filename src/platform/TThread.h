#pragma once

// The base of the program's worker threads: the work goes in Execute, and
// every step that touches a window goes through Synchronize, which runs it on
// the window thread while the worker waits.

#include <QDeadlineTimer>
#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
public:
    // Created suspended: nothing runs until Resume or Start. A thread that
    // starts running at once comes from createRunning, because a thread
    // started inside this constructor could reach Execute before the
    // derived object exists.
    TThread();
    // Waits for a running Execute to end (after asking it to terminate).
    // A derived class whose Execute reads its own members must call WaitFor
    // in its own destructor.
    virtual ~TThread();

    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Constructs a thread and starts it at once.
    template <class Thread, class... Args> static Thread* createRunning(Args&&... args)
    {
        auto* thread = new Thread(std::forward<Args>(args)...);
        thread->Start();
        return thread;
    }

    // Starts a suspended thread; a thread starts once, later calls do nothing.
    void Start();
    void Resume() { Start(); }

    // Asks Execute to end; Execute looks at Terminated.
    void Terminate() { m_terminated.store(true); }
    bool Terminated() const { return m_terminated.load(); }

    // True once Execute and OnTerminate have run.
    bool Finished() const { return m_finished.load(); }

    // Blocks until Execute and OnTerminate have run; returns at once for a
    // thread never started. On the window thread it serves the display-only
    // steps meanwhile and refuses this worker's event-loop-only ones, so a
    // synchronising worker cannot dead-lock it; it sees the thread's end
    // within a few milliseconds, however many steps other workers send.
    // Other workers' event-loop-only steps wait for the event loop: if this
    // worker waits for one of them (say, for another worker that shows a
    // box), the window thread waits for ever. No code of the program does so.
    // Raises solvek::Exception for a thread that frees itself (it may be gone
    // when the wait ends) and when called from the thread itself.
    void WaitFor();

    // A thread that frees itself is deleted on the window thread once it has
    // ended; nobody may touch it after Start.
    bool FreeOnTerminate() const { return m_freeOnTerminate.load(); }
    void setFreeOnTerminate(bool value) { m_freeOnTerminate.store(value); }

    TThreadPriority Priority() const { return m_priority; }
    void setPriority(TThreadPriority priority);

    // Runs on the window thread after Execute has ended, even when it failed,
    // as a display-only step.
    std::function<void()> OnTerminate;

    // The message of an exception that escaped Execute (or OnTerminate);
    // empty when none did.
    bool HasFatalException() const;
    QString FatalException() const;

    // Where the window thread may run a worker's step. Steps of one worker
    // always run in the order the worker sent them.
    enum class StepKind {
        // Touches no database and opens no box or prompt: runs from the event
        // loop and also inside the window thread's waits (a database busy
        // wait, WaitFor, the probe records' flush at exit), since the worker
        // may hold what that wait waits for. Using the database or showing a
        // box there is refused at once, raised in the worker that waits for
        // the step; a queued step has none, so its failure is only logged and
        // its effect is lost.
        DisplayOnly,
        // May use the database or open a box or prompt: runs only from the
        // event loop. While the window thread waits for this worker to end,
        // such a step is refused, raised in the worker.
        EventLoopOnly,
    };

    // Runs method on the window thread and returns when it has run; on the
    // window thread itself (or without an application object) it runs at
    // once. An exception thrown by method is raised again in the caller.
    static void Synchronize(const std::function<void()>& method,
                            StepKind kind = StepKind::DisplayOnly);

    // Queues a display-only step for the window thread and returns at once;
    // it runs before any later step of the same worker. On the window thread
    // (or without an application object) it runs at once. No worker waits
    // for it: if it fails or is refused, that is only logged, and what it
    // was to do is lost.
    static void Queue(std::function<void()> method);

    // On the window thread, while it waits for something a worker may hold:
    // runs the display-only steps queued, in the order sent, and nothing else
    // the event loop holds, until none is left or the deadline has passed (a
    // step running then finishes), so that the wait keeps its own bound
    // however fast workers send. Steps left run later, still in the order
    // sent. Answers whether a step ran.
    static bool serveStepsDuringWait(QDeadlineTimer deadline);

    // True on the window thread while a step runs inside one of its waits.
    static bool isRunningStepDuringWait();

    // True on the thread that owns the application object (or when there is none).
    static bool isWindowThread();

protected:
    virtual void Execute() = 0;

private:
    class Runner;
    void threadMain();
    void runGuarded(const std::function<void()>& step);
    void recordFatal(const QString& message);
    void waitForEnd();

    std::unique_ptr<Runner> m_runner;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_freeOnTerminate{false};
    std::atomic<bool> m_started{false};
    TThreadPriority m_priority = tpNormal;
    mutable QMutex m_fatalMutex;
    QString m_fatalException;
    bool m_hasFatalException = false;
};

#pragma once

// The base of the program's worker threads: the work goes in Execute, and
// every step that touches a window goes through Synchronize, which runs it on
// the window thread while the worker waits.

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
    // thread never started. On the window thread it keeps serving the
    // worker's Synchronize calls, so a synchronising worker cannot dead-lock
    // it. Raises solvek::Exception for a thread that frees itself (it may be
    // gone when the wait ends) and when called from the thread itself.
    void WaitFor();

    // A thread that frees itself is deleted on the window thread once it has
    // ended; nobody may touch it after Start.
    bool FreeOnTerminate() const { return m_freeOnTerminate.load(); }
    void setFreeOnTerminate(bool value) { m_freeOnTerminate.store(value); }

    TThreadPriority Priority() const { return m_priority; }
    void setPriority(TThreadPriority priority);

    // Runs on the window thread after Execute has ended, even when it failed.
    std::function<void()> OnTerminate;

    // The message of an exception that escaped Execute (or OnTerminate);
    // empty when none did.
    bool HasFatalException() const;
    QString FatalException() const;

    // Runs method on the window thread and returns when it has run; on the
    // window thread itself (or without an application object) it runs at
    // once. An exception thrown by method is raised again in the caller.
    // A step may run nested inside a window-thread wait for the database
    // (serveSynchronizeCalls), so it must not write to the database itself.
    static void Synchronize(const std::function<void()>& method);

    // On the window thread: runs the Synchronize steps that workers are
    // waiting for, and nothing else the event loop holds. For a window-thread
    // wait on something a synchronising worker may hold. Answers whether a
    // step ran.
    static bool serveSynchronizeCalls();

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

#include "TThread.h"
#include "FakePlatform.h"
#include "Platform.h"
#include "SolvekException.h"
#include "StepSenders.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

namespace {

// A thread whose Execute is the lambda a test gives it.
class LambdaThread : public TThread {
public:
    explicit LambdaThread(std::function<void(LambdaThread&)> work,
                          std::atomic<bool>* destroyed = nullptr)
        : m_work(std::move(work)), m_destroyed(destroyed)
    {}
    ~LambdaThread() override
    {
        if (m_destroyed)
            m_destroyed->store(true);
    }

protected:
    void Execute() override { m_work(*this); }

private:
    std::function<void(LambdaThread&)> m_work;
    std::atomic<bool>* m_destroyed;
};

QThread* windowThread()
{
    return QCoreApplication::instance()->thread();
}

} // namespace

TEST(TThreadSynchronize, RunsOnTheWindowThreadWhileTheWorkerWaits)
{
    QThread* workerThread = nullptr;
    QThread* stepThread = nullptr;
    bool stepDone = false;
    bool workerSawStepDone = false;
    LambdaThread thread([&](LambdaThread&) {
        workerThread = QThread::currentThread();
        TThread::Synchronize([&] {
            stepThread = QThread::currentThread();
            stepDone = true;
        });
        workerSawStepDone = stepDone;
    });
    thread.Start();
    thread.WaitFor(); // serves the step while waiting

    EXPECT_EQ(stepThread, windowThread());
    EXPECT_NE(workerThread, windowThread());
    EXPECT_TRUE(workerSawStepDone);
}

TEST(TThreadSynchronize, AWaitRunsOnlyDisplayStepsAndNothingElseTheEventLoopHolds)
{
    // A window-thread wait serves the workers' display steps; other queued
    // work (a timer's, a click's, a step that may open a box) must not start
    // nested inside it.
    bool otherRan = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { otherRan = true; }, Qt::QueuedConnection);
    std::atomic<bool> eventLoopStepRan{false};
    LambdaThread boxer([&](LambdaThread&) {
        TThread::Synchronize([&] { eventLoopStepRan = true; }, TThread::StepKind::EventLoopOnly);
    });
    boxer.Start();
    std::atomic<bool> stepRan{false};
    LambdaThread thread([&](LambdaThread&) { TThread::Synchronize([&] { stepRan = true; }); });
    thread.Start();
    QDeadlineTimer limit(20000);
    while (!stepRan && !limit.hasExpired())
        TThread::serveStepsDuringWait(limit);
    EXPECT_TRUE(stepRan);
    EXPECT_FALSE(otherRan);
    EXPECT_FALSE(eventLoopStepRan);
    thread.WaitFor();
    ASSERT_TRUE(
        waitUntil([&] { return eventLoopStepRan && otherRan; })); // the event loop gets them
    boxer.WaitFor();
}

TEST(TThreadSynchronize, EachWorkersStepsRunInTheOrderSentWhileAnotherSynchronises)
{
    // Worker B queues a step, then synchronises one, many times, while worker
    // A synchronises display steps and C event-loop steps all along; the
    // window thread serves them from its event loop and from waits in turn.
    constexpr int Rounds = 5000;
    QList<int> seenOfB;
    std::atomic<bool> bDone{false};
    std::atomic<bool> stopA{false};
    int stepsOfA = 0;
    LambdaThread a([&](LambdaThread&) {
        while (!stopA)
            TThread::Synchronize([&] { ++stepsOfA; });
    });
    std::atomic<bool> cDone{false};
    int stepsOfC = 0;
    int stepsOfCInAWait = 0;
    LambdaThread c([&](LambdaThread&) {
        while (!stopA)
            TThread::Synchronize(
                [&] {
                    ++stepsOfC;
                    stepsOfCInAWait += TThread::isRunningStepDuringWait();
                },
                TThread::StepKind::EventLoopOnly);
        cDone = true;
    });
    LambdaThread b([&](LambdaThread&) {
        for (int i = 0; i < Rounds; ++i) {
            TThread::Queue([&seenOfB, i] { seenOfB.append(2 * i); });
            TThread::Synchronize([&seenOfB, i] { seenOfB.append(2 * i + 1); });
        }
        bDone = true;
    });
    a.Start();
    b.Start();
    c.Start();
    QDeadlineTimer limit(60000);
    for (int turn = 0; !bDone && !limit.hasExpired(); ++turn) {
        if (turn % 2)
            TThread::serveStepsDuringWait(QDeadlineTimer(1)); // often cut short
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    stopA = true;
    ASSERT_TRUE(waitUntil([&] { return cDone.load(); }));
    a.WaitFor();
    b.WaitFor();
    c.WaitFor();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);

    ASSERT_EQ(seenOfB.size(), 2 * Rounds);
    int outOfOrder = 0;
    for (int i = 0; i < seenOfB.size(); ++i)
        outOfOrder += seenOfB[i] != i;
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_GT(stepsOfA, 0);
    EXPECT_GT(stepsOfC, 0);
    EXPECT_EQ(stepsOfCInAWait, 0);
}

TEST(TThreadWaitFor, ServesDisplayStepsAndRefusesTheWorkersEventLoopSteps)
{
    bool otherRan = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { otherRan = true; }, Qt::QueuedConnection);
    bool displayRan = false;
    bool eventLoopStepRan = false;
    QString refusal;
    LambdaThread thread([&](LambdaThread&) {
        TThread::Synchronize([&] { displayRan = true; });
        try {
            TThread::Synchronize([&] { eventLoopStepRan = true; },
                                 TThread::StepKind::EventLoopOnly);
        } catch (const solvek::Exception& e) {
            refusal = e.message();
        }
    });
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(displayRan);
    EXPECT_FALSE(eventLoopStepRan);
    EXPECT_FALSE(refusal.isEmpty());
    EXPECT_FALSE(otherRan); // nor a box, a deletion or a click queued meanwhile
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

TEST(TThreadWaitFor, EndsWithItsThreadThoughAnotherWorkerKeepsPosting)
{
    StepSenders poster(StepSenders::Way::Posting, 1, std::chrono::microseconds(200), 20000);
    LambdaThread thread([](LambdaThread&) { QThread::msleep(50); });
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(poster.sending()); // it did not wait for the steps to stop coming
    EXPECT_TRUE(poster.stop());
}

TEST(TThreadWaitFor, AWorkersBoxIsRefusedNotShownInsideTheWait)
{
    // A box inside a wait would let the user start work under it.
    platform::ScopedFakePlatform fake;
    QString refusal;
    LambdaThread thread([&](LambdaThread&) {
        try {
            platform::messageBox(nullptr, QStringLiteral("text"), QStringLiteral("title"),
                                 platform::MB_OK);
        } catch (const solvek::Exception& e) {
            refusal = e.message();
        }
    });
    thread.Start();
    thread.WaitFor();
    QMutexLocker lock(&fake.mutex);
    EXPECT_TRUE(fake.shownBoxes.isEmpty());
    EXPECT_FALSE(refusal.isEmpty());
}

TEST(TThreadQueue, AStepRunsFromTheEventLoopWhileItsWorkerGoesOnSendingNothingElse)
{
    // A refresh's progress moves while the refresh runs.
    std::atomic<bool> ran{false};
    LambdaThread thread([&](LambdaThread&) {
        TThread::Queue([&] { ran = true; });
        QDeadlineTimer limit(20000);
        while (!ran && !limit.hasExpired())
            QThread::msleep(1);
    });
    thread.Start();
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }));
    thread.WaitFor();
}

TEST(TThreadSynchronize, OnTheWindowThreadRunsAtOnce)
{
    bool ran = false;
    TThread::Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(TThreadSynchronize, AnExceptionOfTheStepIsRaisedInTheWorker)
{
    QString caught;
    LambdaThread thread([&](LambdaThread&) {
        try {
            TThread::Synchronize([] { throw solvek::Exception(QStringLiteral("step failed")); });
        } catch (const solvek::Exception& e) {
            caught = e.message();
        }
    });
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(caught, QStringLiteral("step failed"));
    EXPECT_FALSE(thread.HasFatalException());
}

TEST(TThreadLifecycle, CreatedSuspendedDoesNotRunUntilResumed)
{
    std::atomic<bool> ran{false};
    LambdaThread thread([&](LambdaThread&) { ran = true; });
    thread.WaitFor(); // nothing started: returns at once
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(thread.Finished());

    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(ran.load());
    EXPECT_TRUE(thread.Finished());

    thread.Resume(); // a second start does nothing
    thread.WaitFor();
}

TEST(TThreadLifecycle, CreateRunningStartsAtOnce)
{
    std::atomic<bool> ran{false};
    std::unique_ptr<LambdaThread> thread(
        TThread::createRunning<LambdaThread>([&](LambdaThread&) { ran = true; }));
    thread->WaitFor();
    EXPECT_TRUE(ran.load());
}

TEST(TThreadLifecycle, TerminateIsSeenByExecute)
{
    std::atomic<bool> running{false};
    std::atomic<bool> endedByRequest{false};
    LambdaThread thread([&](LambdaThread& self) {
        running = true;
        QDeadlineTimer limit(20000);
        while (!self.Terminated() && !limit.hasExpired())
            QThread::yieldCurrentThread();
        endedByRequest = self.Terminated();
    });
    EXPECT_FALSE(thread.Terminated());
    thread.Start();
    ASSERT_TRUE(waitUntil([&] { return running.load(); }));
    thread.Terminate();
    thread.WaitFor();
    EXPECT_TRUE(endedByRequest.load());
}

TEST(TThreadLifecycle, DestroyingARunningThreadAsksItToEndAndWaits)
{
    std::atomic<bool> running{false};
    std::atomic<bool> ended{false};
    {
        LambdaThread thread([&](LambdaThread& self) {
            running = true;
            QDeadlineTimer limit(20000);
            while (!self.Terminated() && !limit.hasExpired())
                QThread::yieldCurrentThread();
            ended = self.Terminated();
        });
        thread.Start();
        ASSERT_TRUE(waitUntil([&] { return running.load(); }));
    }
    EXPECT_TRUE(ended.load());
}

TEST(TThreadLifecycle, OnTerminateRunsOnTheWindowThreadAfterExecute)
{
    std::atomic<bool> executed{false};
    bool executedBeforeOnTerminate = false;
    QThread* onTerminateThread = nullptr;
    LambdaThread thread([&](LambdaThread&) { executed = true; });
    thread.OnTerminate = [&] {
        executedBeforeOnTerminate = executed.load();
        onTerminateThread = QThread::currentThread();
    };
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(executedBeforeOnTerminate);
    EXPECT_EQ(onTerminateThread, windowThread());
}

TEST(TThreadLifecycle, FreeOnTerminateDeletesTheThreadOnTheWindowThread)
{
    std::atomic<bool> destroyed{false};
    bool onTerminateRan = false;
    auto* thread = new LambdaThread([](LambdaThread&) {}, &destroyed);
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->OnTerminate = [&] { onTerminateRan = true; };
    thread->Resume();
    ASSERT_TRUE(waitUntil([&] { return destroyed.load(); }));
    EXPECT_TRUE(onTerminateRan);
}

TEST(TThreadLifecycle, WaitingForAThreadThatFreesItselfIsRefused)
{
    std::atomic<bool> destroyed{false};
    auto* thread = new LambdaThread([](LambdaThread&) {}, &destroyed);
    thread->setFreeOnTerminate(true);
    EXPECT_THROW(thread->WaitFor(), solvek::Exception);
    thread->Start();
    ASSERT_TRUE(waitUntil([&] { return destroyed.load(); }));
}

TEST(TThreadLifecycle, HighestPriorityReachesTheSystemThread)
{
    QThread::Priority seen = QThread::InheritPriority;
    LambdaThread thread([&](LambdaThread&) { seen = QThread::currentThread()->priority(); });
    thread.setPriority(tpHighest);
    EXPECT_EQ(thread.Priority(), tpHighest);
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(seen, QThread::HighestPriority);
}

TEST(TThreadFailure, AnExceptionEscapingExecuteIsKept)
{
    bool onTerminateRan = false;
    LambdaThread thread(
        [](LambdaThread&) { throw solvek::Exception(QStringLiteral("database is locked")); });
    thread.OnTerminate = [&] { onTerminateRan = true; };
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(thread.HasFatalException());
    EXPECT_EQ(thread.FatalException(), QStringLiteral("database is locked"));
    EXPECT_TRUE(onTerminateRan);
}

TEST(TThreadFailure, ForeignExceptionsAreKeptToo)
{
    LambdaThread standard([](LambdaThread&) { throw std::runtime_error("bad allocation size"); });
    standard.Start();
    standard.WaitFor();
    EXPECT_EQ(standard.FatalException(), QStringLiteral("bad allocation size"));

    LambdaThread other([](LambdaThread&) { throw 42; });
    other.Start();
    other.WaitFor();
    EXPECT_TRUE(other.HasFatalException());
    EXPECT_FALSE(other.FatalException().isEmpty());
}

TEST(TThreadFailure, AFailingThreadThatFreesItselfIsStillDeleted)
{
    std::atomic<bool> destroyed{false};
    auto* thread = new LambdaThread(
        [](LambdaThread&) { throw solvek::Exception(QStringLiteral("gone")); }, &destroyed);
    thread->setFreeOnTerminate(true);
    thread->Start();
    ASSERT_TRUE(waitUntil([&] { return destroyed.load(); }));
}

TEST(TThreadFailure, ACleanThreadHasNoFatalException)
{
    LambdaThread thread([](LambdaThread&) {});
    thread.Start();
    thread.WaitFor();
    EXPECT_FALSE(thread.HasFatalException());
    EXPECT_TRUE(thread.FatalException().isEmpty());
}

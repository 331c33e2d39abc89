#pragma once

// Stand-ins for the list windows' filling threads: workers that send the
// window thread short display-only steps back to back, posted (Queue) or
// synchronised, until they are stopped or their limit has passed, so that a
// wait that never ends still lets the test end.

#include "TThread.h"
#include "WaitUntil.h"

#include <QDeadlineTimer>
#include <QList>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

class StepSenders {
public:
    enum class Way { Posting, Synchronising };

    StepSenders(Way way, int workers, std::chrono::microseconds stepTime, int limitMs)
        : m_limit(limitMs, Qt::PreciseTimer)
    {
        for (int i = 0; i < workers; ++i) {
            auto worker = std::make_shared<Worker>();
            worker->thread =
                std::thread([this, worker, way, stepTime] { send(worker, way, stepTime); });
            m_workers.push_back(std::move(worker));
        }
    }
    ~StepSenders() { stop(); }
    StepSenders(const StepSenders&) = delete;
    StepSenders& operator=(const StepSenders&) = delete;

    // Neither stopped nor past their limit.
    bool sending() const { return !m_stop.load() && !m_limit.hasExpired(); }

    // Stops them and runs the event loop until every step sent has run;
    // answers whether each worker's steps all ran, in the order sent.
    bool stop()
    {
        m_stop.store(true);
        const bool allRan = waitUntil([this] {
            for (const auto& worker : m_workers)
                if (!worker->ended.load() || worker->ran.load() != worker->sent.load())
                    return false;
            return true;
        });
        bool inOrder = allRan;
        for (const auto& worker : m_workers) {
            if (worker->thread.joinable())
                worker->thread.join();
            for (qsizetype i = 0; i < worker->order.size(); ++i)
                inOrder = inOrder && worker->order[i] == i;
        }
        return inOrder;
    }

private:
    // Posted steps waiting at most, about 0.4 s of work at 0.2 ms a step: the
    // queue never runs dry, and memory stays small.
    static constexpr qint64 MostWaiting = 2000;

    struct Worker {
        std::atomic<qint64> sent{0};
        std::atomic<qint64> ran{0};
        std::atomic<bool> ended{false};
        QList<qint64> order; // the window thread's own
        std::thread thread;
    };
    using WorkerPtr = std::shared_ptr<Worker>;

    void send(const WorkerPtr& worker, Way way, std::chrono::microseconds stepTime)
    {
        while (sending()) {
            if (way == Way::Posting && worker->sent.load() - worker->ran.load() >= MostWaiting) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            // Steps own their worker: one left queued by a failed test is still safe.
            const auto step = [worker, number = worker->sent.load(), stepTime] {
                worker->order.append(number);
                std::this_thread::sleep_for(stepTime);
                ++worker->ran;
            };
            ++worker->sent;
            if (way == Way::Posting)
                TThread::Queue(step);
            else
                TThread::Synchronize(step);
        }
        worker->ended.store(true);
    }

    const QDeadlineTimer m_limit;
    std::atomic<bool> m_stop{false};
    std::vector<WorkerPtr> m_workers;
};

#pragma once

// Splits work that parts cleanly over a few threads and waits for all of it.

#include <cstddef>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace parallel_testing {
// Called before each thread of a pool starts; tests throw from it (as
// std::system_error, the way the system refuses a thread) to make that start
// fail. Null in the program.
extern void (*beforeThreadStart)();
} // namespace parallel_testing

namespace platform {

// How many threads large work is split over: the processors this process may
// run on, at most four (more gain little against the memory they share).
std::size_t workerCount();

// Every thread of a pool starts here. Raises std::system_error when the
// system cannot start it (short of memory or of threads); the caller then
// releases the threads it started before.
template <class Function> std::jthread startThread(Function&& function)
{
    if (parallel_testing::beforeThreadStart)
        parallel_testing::beforeThreadStart();
    return std::jthread(std::forward<Function>(function));
}

// Runs task(0) ... task(count - 1), each on a thread of its own except the
// first, which runs on the caller's; returns when all have ended. The first
// exception of a task (by index) is raised again here, after every task ended.
// A thread that cannot start is raised once the tasks started have ended.
template <class Task> void runInParallel(std::size_t count, Task&& task)
{
    std::vector<std::exception_ptr> failures(count);
    const auto run = [&](std::size_t index) {
        try {
            task(index);
        } catch (...) {
            failures[index] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(count);
        for (std::size_t index = 1; index < count; ++index)
            threads.push_back(startThread([&run, index] { run(index); }));
        if (count > 0)
            run(0);
    } // the threads join here
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace platform

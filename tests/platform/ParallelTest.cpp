#include "Parallel.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

TEST(RunInParallel, RunsEveryTaskOnceAndWaitsForAll)
{
    std::vector<std::atomic<int>> runs(7);
    platform::runInParallel(runs.size(), [&](size_t index) { ++runs[index]; });
    for (const std::atomic<int>& count : runs)
        EXPECT_EQ(count.load(), 1);
    platform::runInParallel(0, [](size_t) { FAIL() << "no task was asked for"; });
}

TEST(RunInParallel, TheFirstFailureByIndexIsRaisedAfterEveryTaskEnded)
{
    std::atomic<int> ended = 0;
    try {
        platform::runInParallel(4, [&](size_t index) {
            ++ended;
            if (index == 1 || index == 3)
                throw std::runtime_error("task " + std::to_string(index));
        });
        FAIL() << "no failure raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "task 1");
    }
    EXPECT_EQ(ended.load(), 4);
}

TEST(WorkerCount, FollowsTheProcessorsThisProcessMayRunOnUpToFour)
{
    cpu_set_t saved;
    ASSERT_EQ(::sched_getaffinity(0, sizeof saved, &saved), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &saved)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(platform::workerCount(), 1u);
    ASSERT_EQ(::sched_setaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(platform::workerCount(), std::min<size_t>(size_t(CPU_COUNT(&saved)), 4));
}

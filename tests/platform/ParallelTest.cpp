#include "Parallel.h"

#include <gtest/gtest.h>

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

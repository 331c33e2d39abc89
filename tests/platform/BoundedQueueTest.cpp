#include "BoundedQueue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

using platform::BoundedQueue;

TEST(BoundedQueue, ItemsArriveInOrderThenTheEnd)
{
    BoundedQueue<int> queue(2);
    std::thread producer([&] {
        for (int i = 0; i < 1000; ++i)
            queue.push(i);
        queue.finish();
    });
    std::vector<int> taken;
    while (const std::optional<int> item = queue.pop())
        taken.push_back(*item);
    producer.join();
    ASSERT_EQ(taken.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(taken[size_t(i)], i);
    EXPECT_FALSE(queue.pop().has_value()) << "the end stays the end";
}

TEST(BoundedQueue, AFailureArrivesAfterTheItemsMadeBeforeIt)
{
    BoundedQueue<int> queue(4);
    queue.push(1);
    queue.push(2);
    queue.finish(std::make_exception_ptr(std::runtime_error("broken line")));
    EXPECT_EQ(queue.pop(), 1);
    EXPECT_EQ(queue.pop(), 2);
    try {
        queue.pop();
        FAIL() << "the failure was not raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "broken line");
    }
}

TEST(BoundedQueue, AbandoningReleasesAProducerWaitingForRoom)
{
    BoundedQueue<int> queue(1);
    std::vector<bool> accepted;
    std::thread producer([&] {
        for (int i = 0; i < 3; ++i)
            accepted.push_back(queue.push(i));
    });
    EXPECT_EQ(queue.pop(), 0);
    queue.abandon();
    producer.join(); // would hang if the waiting push were not woken
    ASSERT_EQ(accepted.size(), 3u);
    EXPECT_TRUE(accepted[0]);
    EXPECT_FALSE(accepted[2]);
    EXPECT_FALSE(queue.pop().has_value());
}

TEST(BoundedQueue, TryingNeverWaits)
{
    BoundedQueue<int> queue(2);
    EXPECT_FALSE(queue.tryPop().has_value());
    EXPECT_TRUE(queue.tryPush(1));
    EXPECT_TRUE(queue.tryPush(2));
    EXPECT_FALSE(queue.tryPush(3)) << "no place free";
    EXPECT_EQ(queue.tryPop(), 1);
    EXPECT_TRUE(queue.tryPush(4));
    EXPECT_EQ(queue.tryPop(), 2);
    EXPECT_EQ(queue.tryPop(), 4);
    queue.abandon();
    EXPECT_FALSE(queue.tryPush(5));
}

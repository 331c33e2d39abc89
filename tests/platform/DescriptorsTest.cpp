#include "Descriptors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

TEST(DescriptorCount, CountsOnceADescriptorIsFreeThoughNoneWasWhenMade)
{
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int before = platform::DescriptorCount().inUse();
    ASSERT_GT(before, 0);

    // No descriptor free while the counter is made.
    rlimit lowered = saved;
    lowered.rlim_cur = rlim_t(before + 8);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.push_back(fd);
    const int refusal = errno;
    platform::DescriptorCount counter;
    const int countWithoutRoom = counter.inUse();
    const bool unreadableWithoutRoom = counter.unreadable();
    for (int fd : taken)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_EQ(refusal, EMFILE);
    EXPECT_EQ(countWithoutRoom, -1);
    EXPECT_FALSE(unreadableWithoutRoom) << "a shortage that passes taken for no /proc";
    EXPECT_EQ(counter.inUse(), before);
    EXPECT_FALSE(counter.unreadable());
}

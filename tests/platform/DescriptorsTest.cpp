#include "Descriptors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

TEST(DescriptorCount, WithoutProcTheCountIsUnreadable)
{
    constexpr int NoNamespace = 77;
    // A child of its own, in a mount namespace whose /proc is an empty folder,
    // as in a sandbox without /proc.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(::geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0)
            ::_exit(NoNamespace);
        platform::DescriptorCount counter;
        ::_exit(counter.inUse() == -1 && counter.unreadable() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == NoNamespace)
        GTEST_SKIP() << "no mount namespace of its own can be made here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "an empty /proc taken for a shortage that passes";
}

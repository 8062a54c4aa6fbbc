// One messenger per user: a second start of the same user finds the lock
// held, a start after a killed instance takes it, two users each hold one.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../support/pl_temp_folder.h"
#include "app/core/pl_single_instance.h"

TEST(SingleInstance, OnePerUserAndReleasedByTheKernel)
{
    PlTempFolder folder;
    const std::string alice = PlInstanceLockPath("alice", folder.Path());
    EXPECT_EQ(alice, folder.Path("PARLINOMESSENGER@ALICE"));
    {
        pl::PlInstanceLock first(alice);
        ASSERT_TRUE(first.Held());
        pl::PlInstanceLock second(alice);
        EXPECT_FALSE(second.Held());
        EXPECT_FALSE(second.Problem().empty());
        pl::PlInstanceLock otherUser(PlInstanceLockPath("bob", folder.Path()));
        EXPECT_TRUE(otherUser.Held());
    }
    EXPECT_TRUE(pl::PlInstanceLock(alice).Held());  // the first one ended

    // An instance that dies while it holds the lock leaves it free.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pl::PlInstanceLock held(alice);
        const char byte = held.Held() ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    EXPECT_FALSE(pl::PlInstanceLock(alice).Held());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(pl::PlInstanceLock(alice).Held());
    ::close(ready[0]);
    ::close(ready[1]);
}

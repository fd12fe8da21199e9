// A test that leaves an orphaned process behind on purpose: tests/artik_surec_test.sh runs it
// to show that the watcher of leftover processes names it, fails the test and ends it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

TEST(ArtikOrnegi, LeavesAnOrphanedSleepBehind) {
    const pid_t ara = fork();
    if (ara == 0) {
        if (fork() == 0) {
            execlp("sleep", "sleep", "307", static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);  // the sleep is now nobody's child but init's
    }
    int durum = 0;
    ASSERT_EQ(waitpid(ara, &durum, 0), ara);
    EXPECT_EQ(durum, 0);
}

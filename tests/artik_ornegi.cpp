// A test that leaves an orphaned process behind on purpose: tests/artik_surec_test.sh runs it
// to show that the watcher of leftover processes names it, fails the test and ends it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

std::string komut_satiri(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ArtikOrnegi, LeavesAnOrphanedSleepBehind) {
    int uclar[2];
    ASSERT_EQ(pipe(uclar), 0);
    const pid_t ara = fork();
    if (ara == 0) {
        const pid_t uyku = fork();
        if (uyku == 0) {
            execlp("sleep", "sleep", "307", static_cast<char*>(nullptr));
            _exit(127);
        }
        (void)!write(uclar[1], &uyku, sizeof uyku);
        _exit(0);  // the sleep is now nobody's child but init's
    }
    close(uclar[1]);
    pid_t uyku = 0;
    ASSERT_EQ(read(uclar[0], &uyku, sizeof uyku), ssize_t(sizeof uyku));
    close(uclar[0]);
    int durum = 0;
    ASSERT_EQ(waitpid(ara, &durum, 0), ara);
    EXPECT_EQ(durum, 0);
    // Until its exec a forked process shows the environment its parent started with, which
    // lacks the mark: the orphan is a leftover to be found once it runs `sleep`.
    const std::string beklenen("sleep\0" "307\0", 10);
    const auto son = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (komut_satiri(uyku) != beklenen && std::chrono::steady_clock::now() < son)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(komut_satiri(uyku), beklenen);
}

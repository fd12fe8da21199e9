// Leftover processes: every process a test starts carries a mark in its environment, and
// after each test any marked process still running is named, ended and fails the test.
//
// A launcher, game, curl or server left running by one test used to show up as a fault of
// a later one (a second window in a window count, a core taken from the next launcher's
// start). The mark is inherited through any depth of children and survives the death of a
// parent, so an orphan is found as surely as a child, and a test is blamed for its own.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const ISARET_ADI = "ARTIK_SUREC_ISARETI";

std::string isaret() { return std::string(ISARET_ADI) + "=" + std::to_string(getpid()); }

std::string oku(const std::string& yol) {
    std::ifstream f(yol, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Running (not yet ended) processes other than this one whose environment holds the mark.
// A process shows the mark from its exec on: /proc shows the environment a program started
// with, and before its exec a forked child still shows its parent's.
std::vector<pid_t> isaretli_surecler() {
    std::vector<pid_t> sonuc;
    DIR* d = opendir("/proc");
    if (!d) return sonuc;
    const std::string aranan = std::string(1, '\0') + isaret() + std::string(1, '\0');
    while (dirent* g = readdir(d)) {
        char* son = nullptr;
        const long pid = std::strtol(g->d_name, &son, 10);
        if (pid <= 0 || *son != '\0' || pid == getpid()) continue;
        const std::string kok = "/proc/" + std::to_string(pid);
        const std::string ortam = std::string(1, '\0') + oku(kok + "/environ");
        if (ortam.find(aranan) == std::string::npos) continue;
        const std::string stat = oku(kok + "/stat");
        const size_t parantez = stat.rfind(')');
        const char durum = parantez != std::string::npos && parantez + 2 < stat.size() ? stat[parantez + 2] : '?';
        if (durum != 'Z' && durum != 'X') sonuc.push_back(pid_t(pid));
    }
    closedir(d);
    return sonuc;
}

std::string komut_satiri(pid_t pid) {
    std::string s = oku("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : s)
        if (c == '\0') c = ' ';
    return s;
}

// Ends a leftover and its process group (curl runs in one of its own); reaps it when it is
// this process's child.
void bitir(pid_t pid) {
    if (getpgid(pid) == pid) kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);  // returns at once for a process that is not a child
}

class artik_bekcisi : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        // A process whose server or parent has just been ended may need a moment to notice.
        const auto son = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        std::vector<pid_t> kalanlar = isaretli_surecler();
        while (!kalanlar.empty() && std::chrono::steady_clock::now() < son) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            kalanlar = isaretli_surecler();
        }
        for (pid_t pid : kalanlar) {
            ADD_FAILURE() << "the test left a process running: " << pid << " " << komut_satiri(pid);
            bitir(pid);
        }
    }
};

const bool kuruldu = [] {
    setenv(ISARET_ADI, std::to_string(getpid()).c_str(), 1);
    testing::UnitTest::GetInstance()->listeners().Append(new artik_bekcisi);
    return true;
}();

}  // namespace

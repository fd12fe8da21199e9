// Self-restart: a new launcher process from the executable path read at start-up.
// The path comes from the shell; "/proc/self/exe" itself would name the replaced file.
#include "updater/yeniden.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include "app/pencere.h"
#include "updater/durum.h"

namespace guncelleme {

void yeniden_baslat() {
    if (durum.load() != YENIDEN_BASLAT || oyun_durumu != 0 || acik_panel == 1) return;
    // After the rename, "/proc/self/exe" reads "<old path> (deleted)"; the path read at
    // start-up names the new file.
    const std::string yol = calistirilan_yol;
    if (!yol.empty()) {
        pid_t pid = fork();
        if (pid == 0) {
            execl(yol.c_str(), yol.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    glfwSetWindowShouldClose(pencere, GLFW_TRUE);
}

}  // namespace guncelleme

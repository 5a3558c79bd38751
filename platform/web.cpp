#include "platform/web.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace {
std::string opener_override;
}

bool OpenWebPage(const std::string& address) {
    const std::string program = opener_override.empty() ? "xdg-open" : opener_override;
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(address.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    // The browser may live on after xdg-open returns; the launcher must not
    // wait for either, but must not leave a zombie behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

void SetWebOpenerForTesting(const std::string& program) { opener_override = program; }

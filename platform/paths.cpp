#include "platform/paths.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <vector>

namespace {
std::mutex root_override_mutex;
std::string root_override;
}  // namespace

std::string ToFsPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

void SetGameRootForTesting(const std::string& folder) {
    std::lock_guard lock(root_override_mutex);
    root_override = folder;
}

std::string GetGameRoot() {
    {
        std::lock_guard lock(root_override_mutex);
        if (!root_override.empty()) return root_override;
    }
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return std::string();
    std::string exe(buf.data(), static_cast<size_t>(n));
    size_t cut = exe.find_last_of("\\/");
    if (cut == std::string::npos) return exe;
    return exe.substr(0, cut);
}

bool FileExists(const std::string& path) {
    FILE* f = std::fopen(ToFsPath(path).c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

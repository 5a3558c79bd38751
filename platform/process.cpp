#include "platform/process.h"

#include "platform/message_box.h"
#include "platform/paths.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Starts `file` (searched on PATH when it holds no '/', like execvp) with
// argv and waits for it. Returns the errno of a failed start, 0 on success.
int SpawnAndWait(const std::string& file, const std::vector<std::string>& argv) {
    std::vector<char*> raw;
    raw.reserve(argv.size() + 1);
    for (const std::string& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, file.c_str(), nullptr, nullptr, raw.data(), environ);
    if (rc != 0) return rc;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(std::string_view s) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = s.size();

    // Program name: quotes only group; a backslash is a path separator there.
    while (i < n && IsBlank(s[i])) ++i;
    if (i >= n) return args;
    {
        std::string program;
        bool quoted = false;
        for (; i < n; ++i) {
            const char c = s[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && IsBlank(c)) {
                break;
            } else {
                program += c;
            }
        }
        args.push_back(std::move(program));
    }

    while (true) {
        while (i < n && IsBlank(s[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n) {
            const char c = s[i];
            if (c == '\\') {
                size_t slashes = 0;
                while (i < n && s[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && s[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++i;
                    }
                    // An even run leaves the quote to the grouping rule below.
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < n && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && IsBlank(c)) break;
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

bool IsWindowsProgram(const std::string& path) {
    FILE* f = std::fopen(ToFsPath(path).c_str(), "rb");
    if (!f) return false;
    char magic[2] = {0, 0};
    const size_t got = std::fread(magic, 1, 2, f);
    std::fclose(f);
    return got == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

std::vector<std::string> LaunchArguments(const std::vector<std::string>& arguments, bool windows_program,
                                         const std::string& runner) {
    if (!windows_program) return arguments;
    std::vector<std::string> argv = SplitWindowsCommandLine(runner);
    if (argv.empty()) argv.push_back("wine");
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

bool RunAndWait(const std::string& command_line, const std::string& runner) {
    std::vector<std::string> arguments = SplitWindowsCommandLine(command_line);
    if (arguments.empty() || arguments[0].empty()) {
        std::fprintf(stderr, "cannot start the engine: empty command line\n");
        return false;
    }
    // The command line names the engine with Windows separators at times;
    // the program path meets the file system here.
    arguments[0] = ToFsPath(arguments[0]);
    const bool windows_program = IsWindowsProgram(arguments[0]);
    const std::vector<std::string> argv = LaunchArguments(arguments, windows_program, runner);
    std::string file = argv[0];
    // A bare engine name would be searched on PATH by posix_spawnp; the engine
    // is a file relative to the working folder. Only the runner is looked up.
    if (!windows_program && file.find('/') == std::string::npos) file = "./" + file;
    const int err = SpawnAndWait(file, argv);
    if (err == 0) return true;
    std::fprintf(stderr, "cannot start %s: %s\n", file.c_str(), std::strerror(err));
    if (windows_program) {
        ShowError("ERROR!!!", "Cannot start the Windows program runner \"" + argv[0] + "\" for " + arguments[0] +
                                  ": " + std::strerror(err) + ". Set engine_runner in launcher.ini.");
    }
    return false;
}

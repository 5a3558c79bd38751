#include "presence/discord_register.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace fs = std::filesystem;

std::string DesktopExecArgument(std::string_view path) {
    // Characters that make the desktop entry spec require a quoted argument.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = path.find_first_of(kReserved) != std::string_view::npos;
    std::string arg;
    if (quote) arg += '"';
    for (const char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) arg += '\\';
        arg += c;
        if (c == '%') arg += '%';  // "%%" is a literal percent, not a field code
    }
    if (quote) arg += '"';
    // The key's value is a string first: its own escapes apply on top of the
    // quoting, so a literal backslash ends up as four.
    std::string value;
    for (const char c : arg) {
        switch (c) {
            case '\\': value += "\\\\"; break;
            case '\n': value += "\\n"; break;
            case '\t': value += "\\t"; break;
            case '\r': value += "\\r"; break;
            default: value += c;
        }
    }
    return value;
}

std::string DesktopEntryText(std::string_view application_id, std::string_view executable) {
    const std::string id(application_id);
    return "[Desktop Entry]\n"
           "Name=Game " + id + "\n"
           "Exec=" + DesktopExecArgument(executable) + " %u\n"
           "Type=Application\n"
           "NoDisplay=true\n"
           "Categories=Discord;Games;\n"
           "MimeType=x-scheme-handler/discord-" + id + ";\n";
}

namespace {

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string ExecutablePath() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

// Written beside and renamed over, so Discord or the desktop never reads
// half an entry.
bool WriteFileAtomically(const fs::path& path, const std::string& content) {
    const fs::path tmp = path.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) fs::remove(tmp, ec);
    return !ec;
}

}  // namespace

pid_t RegisterUrlScheme(const std::string& application_id) {
    // The id becomes part of a file name and a MIME type: anything but a
    // Discord snowflake could escape the folder.
    if (!AllDigits(application_id)) return -1;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return -1;
    const std::string exe = ExecutablePath();
    if (exe.empty()) return -1;

    const fs::path folder = fs::path(home) / ".local/share/applications";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string entry_name = "discord-" + application_id + ".desktop";
    if (!WriteFileAtomically(folder / entry_name, DesktopEntryText(application_id, exe))) return -1;

    std::string scheme = "x-scheme-handler/discord-" + application_id;
    std::string verb = "default";
    std::string program = "xdg-mime";
    char* argv[] = {program.data(), verb.data(), const_cast<char*>(entry_name.c_str()), scheme.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "xdg-mime", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

#pragma once
// Registration of this executable as the handler of the discord-<id>:// URL
// scheme for the current user, the way Discord expects it on Linux: a hidden
// desktop entry plus xdg-mime.
#include <string>
#include <string_view>

#include <sys/types.h>

// One argument of a desktop entry's Exec key: quoted and escaped when the
// path holds reserved characters, '%' doubled so it is not a field code.
std::string DesktopExecArgument(std::string_view path);

// The whole desktop entry for `application_id` started as `executable`.
std::string DesktopEntryText(std::string_view application_id, std::string_view executable);

// Writes $HOME/.local/share/applications/discord-<id>.desktop and starts
// `xdg-mime default discord-<id>.desktop x-scheme-handler/discord-<id>`
// without a shell and without waiting. Returns the child's pid for the caller
// to reap, or -1 when nothing was started. Any failure is silent: an id that
// is not all digits, no HOME, an unwritable folder, no xdg-mime.
pid_t RegisterUrlScheme(const std::string& application_id);

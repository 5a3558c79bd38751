#pragma once
// Starting the engine: a Windows-style command line split into arguments and
// started without a shell, waited for until it exits.
#include <string>
#include <string_view>
#include <vector>

// Splits a command line the way the Microsoft C runtime builds argv: spaces
// and tabs separate arguments, double quotes group, 2n backslashes before a
// quote give n backslashes and the quote toggles grouping, 2n+1 give n and a
// literal quote, "" inside a group is a literal quote; other backslashes are
// literal. The first argument (the program) follows the simpler program-name
// rule: quotes group, backslashes are always literal.
std::vector<std::string> SplitWindowsCommandLine(std::string_view command_line);

// True when the file starts with "MZ" (a Windows program).
bool IsWindowsProgram(const std::string& path);

// The argument vector to start: the arguments as they are, or, for a Windows
// program, the runner's arguments (split by the same rules; "wine" when the
// runner text is empty) followed by them.
std::vector<std::string> LaunchArguments(const std::vector<std::string>& arguments, bool windows_program,
                                         const std::string& runner);

// Splits the command line, starts it (through the runner when its program is a
// Windows program) with the launcher's environment and working folder, and
// waits until it has exited. Returns false when nothing could be started: a
// line on standard error says why, and a message box when the missing piece is
// the Windows runner.
bool RunAndWait(const std::string& command_line, const std::string& runner);

// How the game reports: a fatal error that ends the program, a warning box,
// the raw log, and the admin log that feeds the admin console.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Environment switch: when set (to anything but "0"), log lines are copied
// to standard error.
inline constexpr const char* kLogToStderrVariable = "VANTOREL_LOG_STDERR";
// Name of the log file in the per-user folder.
inline constexpr const char* kLogFileName = "log.txt";
// The log is kept bounded: a line that would take the file past this size
// starts a new file, and the full one is kept as the previous log (only one).
inline constexpr int64_t kLogFileLimit = 1 << 20;
inline constexpr const char* kPreviousLogFileName = "log.1.txt";
// "log.txt" -> "log.1.txt", beside it.
std::string PreviousLogFile(const std::string& path);

// Appends a line to the log file in the per-user folder (when that folder
// exists) and, when asked, to standard error. Always true.
bool WriteLog(const std::string& text);
// Where log lines go; empty restores the per-user log file. Tests use it.
void SetLogFileForTesting(const std::string& path);

// Shows the fatal-error box, stops the framework and ends the process with a
// non-zero exit code. Does not return.
[[noreturn]] void FatalError(const std::string& text);
constexpr int kFatalExitCode = 1;

void ShowWarning(const std::string& text);

using TAdminConsoleCallback = std::function<void(const std::string&)>;
void AdminLog(const std::string& text);
// Attaches (or, with an empty callback, detaches) the console; the backlog is
// delivered to a new console and emptied either way.
void SetAdminConsole(TAdminConsoleCallback callback);

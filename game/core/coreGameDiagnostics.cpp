#include "coreGameDiagnostics.h"

#include "qz7core.h"
#include "qz7files.h"
#include "osDesktop.h"
#include "osFiles.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {
const char* kPerUserFolder = "VantorelQar/";

struct LogState {
    std::mutex fileLock;  // one writer at a time, so a full file is moved aside once
    std::string overridePath;
    TAdminConsoleCallback console;
    std::vector<std::string> backlog;
};

LogState& L()
{
    static LogState s;
    return s;
}

std::string LogPath()
{
    if (!L().overridePath.empty()) return L().overridePath;
    std::string home = AppDataFolder();
    if (home.empty()) return std::string();
    std::string folder = home + kPerUserFolder;
    // The log never creates the per-user folder: that is the settings' job.
    if (!IsFolder(folder)) return std::string();
    return folder + kLogFileName;
}

bool LogToStderr()
{
    const char* v = std::getenv(kLogToStderrVariable);
    return v && *v && std::string(v) != "0";
}

}  // namespace

std::string PreviousLogFile(const std::string& path)
{
    size_t slash = path.find_last_of("/\\"), dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ".1";
    return path.substr(0, dot) + ".1" + path.substr(dot);
}

bool WriteLog(const std::string& text)
{
    if (LogToStderr()) std::fprintf(stderr, "%s\n", text.c_str());
    std::lock_guard<std::mutex> lock(L().fileLock);
    std::string path = LogPath();
    if (!path.empty()) {
        plat::os::FileFacts facts = plat::os::Facts(path);
        int64_t line = int64_t(text.size()) + 2;
        // The previous log is replaced; a line longer than the limit still
        // gets a file of its own.
        if (facts.exists && facts.size > 0 && facts.size + line > kLogFileLimit)
            // A log that cannot be moved aside keeps growing: the line
            // still matters more than the limit.
            (void)plat::os::RenameFile(path, PreviousLogFile(path));
        if (std::FILE* f = std::fopen(plat::os::NativePath(path).c_str(), "ab")) {
            std::fprintf(f, "%s\r\n", text.c_str());
            std::fclose(f);
        }
    }
    return true;
}

void SetLogFileForTesting(const std::string& path)
{
    L().overridePath = path;
}

void FatalError(const std::string& text)
{
    WriteLog("Fatal error: " + text);
    plat::os::ShowMessageBox({"Vantorel Qar - Fatal Error", text, plat::os::BoxIcon::Error, plat::os::BoxButtons::Ok});
    WriteLog("Fatal error done");
    FrameworkStop();
    std::exit(kFatalExitCode);
}

void ShowWarning(const std::string& text)
{
    WriteLog("WARNING: " + text);
    plat::os::ShowMessageBox({"Vantorel Qar - Warning", text, plat::os::BoxIcon::Warning, plat::os::BoxButtons::Ok});
}

void AdminLog(const std::string& text)
{
    WriteLog("ADMIN: " + text);
    // A copy, so a console that detaches itself while it prints stays alive
    // until its call is over.
    TAdminConsoleCallback console = L().console;
    if (console) console(text);
    else L().backlog.push_back(text);
}

void SetAdminConsole(TAdminConsoleCallback callback)
{
    LogState& s = L();
    s.console = callback;
    std::vector<std::string> backlog;
    backlog.swap(s.backlog);
    if (callback) {
        callback("Clearing " + std::to_string(backlog.size()) + " messages.");
        for (const auto& line : backlog) callback(line);
    }
}

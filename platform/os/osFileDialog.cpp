#include "osFileDialog.h"

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat::os {
namespace {

struct Dialogs {
    std::mutex lock;
    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogRequest> requests;
    size_t fileAnswersTaken = 0;
    DialogProgram kind = DialogProgram::None;
    std::string path;  // empty: search
    bool startWhileHeadless = false;
};

Dialogs& D()
{
    static Dialogs d;
    return d;
}

bool HeadlessSession()
{
    for (const char* name : {"VANTOREL_HEADLESS", "VQ_TEST"}) {
        const char* v = std::getenv(name);
        if (v && *v && std::string(v) != "0") return true;
    }
    return false;
}

std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        struct stat st{};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

// The next line of the answers file, when the variable names one. Read
// afresh each time, so a test may add answers while the program runs.
bool TakeFileAnswer(Dialogs& d, std::optional<std::string>& answer)
{
    const char* file = std::getenv(kDialogAnswersVariable);
    if (!file || !*file) return false;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (size_t i = 0; i <= d.fileAnswersTaken; ++i) {
        if (!std::getline(in, line)) {
            answer.reset();  // past the last answer: cancelled
            ++d.fileAnswersTaken;
            return true;
        }
    }
    ++d.fileAnswersTaken;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) answer.reset();
    else answer = line;
    return true;
}

// Runs the program with the arguments, its output read through a pipe.
// False when it cannot be started or does not end with success.
bool RunForOutput(const std::string& program, const std::vector<std::string>& args, std::string& output)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<std::string> argv0 = {program};
    argv0.insert(argv0.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv0) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return false;
    }
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0) output.append(buffer, size_t(n));
        else if (n == 0 || errno != EINTR) break;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string DefaultTitle(const FileDialogRequest& r)
{
    if (!r.title.empty()) return r.title;
    return r.save ? "Save As" : "Open";
}
}  // namespace

std::vector<std::string> DialogArguments(DialogProgram kind, const FileDialogRequest& r)
{
    std::vector<std::string> a;
    if (kind == DialogProgram::Zenity) {
        a = {"--file-selection", "--title=" + DefaultTitle(r)};
        if (r.save) {
            a.push_back("--save");
            a.push_back("--confirm-overwrite");
        }
        if (!r.initialName.empty()) a.push_back("--filename=" + r.initialName);
        a.push_back("--file-filter=" + r.filterName + " | " + r.filterPattern);
    } else if (kind == DialogProgram::KDialog) {
        a = {"--title", DefaultTitle(r), r.save ? "--getsavefilename" : "--getopenfilename",
             r.initialName.empty() ? "." : r.initialName, r.filterName + " (" + r.filterPattern + ")"};
    }
    return a;
}

DialogProgram FindDialogProgram()
{
    if (!FindOnPath("zenity").empty()) return DialogProgram::Zenity;
    if (!FindOnPath("kdialog").empty()) return DialogProgram::KDialog;
    return DialogProgram::None;
}

std::optional<std::string> ShowFileDialog(const FileDialogRequest& request)
{
    Dialogs& d = D();
    DialogProgram kind;
    std::string path;
    {
        std::lock_guard<std::mutex> g(d.lock);
        d.requests.push_back(request);
        if (!d.answers.empty()) {
            std::optional<std::string> answer = std::move(d.answers.front());
            d.answers.pop_front();
            return answer;
        }
        std::optional<std::string> answer;
        if (TakeFileAnswer(d, answer)) return answer;
        if (HeadlessSession() && !d.startWhileHeadless) return std::nullopt;
        kind = d.kind;
        path = d.path;
    }
    if (path.empty()) {
        kind = FindDialogProgram();
        path = FindOnPath(kind == DialogProgram::Zenity ? "zenity" : "kdialog");
    }
    if (kind == DialogProgram::None || path.empty()) return std::nullopt;
    std::string output;
    if (!RunForOutput(path, DialogArguments(kind, request), output)) return std::nullopt;
    // One path and a line end; a path may hold blanks, so only the end goes.
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    if (output.empty()) return std::nullopt;
    return output;
}

void PushFileDialogAnswer(std::optional<std::string> answer)
{
    std::lock_guard<std::mutex> g(D().lock);
    D().answers.push_back(std::move(answer));
}

void ClearFileDialogAnswers()
{
    std::lock_guard<std::mutex> g(D().lock);
    D().answers.clear();
    D().fileAnswersTaken = 0;
}

std::vector<FileDialogRequest> TakeFileDialogRequests()
{
    std::lock_guard<std::mutex> g(D().lock);
    std::vector<FileDialogRequest> out;
    out.swap(D().requests);
    return out;
}

void SetDialogProgram(DialogProgram kind, const std::string& path, bool startWhileHeadless)
{
    std::lock_guard<std::mutex> g(D().lock);
    D().kind = kind;
    D().path = path;
    D().startWhileHeadless = startWhileHeadless;
}

}  // namespace plat::os

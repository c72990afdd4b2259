#include "osDesktop.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat::os {
namespace {
std::mutex boxLock;
MessageBoxHandler boxHandler;

std::string WithSlash(std::string p)
{
    if (!p.empty() && p.back() != '/') p += '/';
    return p;
}

struct Opener {
    std::mutex lock;
    std::string program;       // empty: xdg-open
    bool startWhileHeadless = false;
    std::vector<std::string> recorded;
    std::vector<pid_t> running;
};

Opener& O()
{
    static Opener o;
    return o;
}

bool HeadlessSession()
{
    for (const char* name : {"VANTOREL_HEADLESS", "VQ_TEST"}) {
        const char* v = std::getenv(name);
        if (v && *v && std::string(v) != "0") return true;
    }
    return false;
}

// Children that have finished are reaped so none stays a zombie for long.
void ReapFinished(std::vector<pid_t>& running)
{
    std::erase_if(running, [](pid_t pid) {
        int status = 0;
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
}

BoxAnswer Headless(const MessageBoxRequest& r)
{
    std::fprintf(stderr, "[%s] %s\n", r.caption.c_str(), r.text.c_str());
    std::fflush(stderr);
    return r.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
}
}  // namespace

std::string UserDataHome()
{
    if (const char* v = std::getenv(kDataHomeVariable); v && *v) return WithSlash(v);
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v) return WithSlash(v);
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
    }
    if (!home || !*home) return std::string();
    return WithSlash(std::string(home) + "/.local/share");
}

BoxAnswer ShowMessageBox(const MessageBoxRequest& request)
{
    MessageBoxHandler h;
    {
        std::lock_guard<std::mutex> g(boxLock);
        h = boxHandler;
    }
    return h ? h(request) : Headless(request);
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard<std::mutex> g(boxLock);
    boxHandler = std::move(handler);
}

bool OpenWithDesktop(const std::string& address)
{
    if (address.empty() || address[0] == '-') return false;
    Opener& o = O();
    std::lock_guard<std::mutex> g(o.lock);
    ReapFinished(o.running);
    if (HeadlessSession() && !o.startWhileHeadless) {
        o.recorded.push_back(address);
        return true;
    }
    std::string program = o.program.empty() ? "xdg-open" : o.program;
    // The address is one argument of the opener itself: no shell sees it.
    char* argv[] = {program.data(), const_cast<char*>(address.c_str()), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    o.running.push_back(pid);
    return true;
}

std::vector<std::string> TakeOpenRequests()
{
    Opener& o = O();
    std::lock_guard<std::mutex> g(o.lock);
    std::vector<std::string> out;
    out.swap(o.recorded);
    return out;
}

void SetDesktopOpener(const std::string& program, bool startWhileHeadless)
{
    Opener& o = O();
    std::lock_guard<std::mutex> g(o.lock);
    o.program = program;
    o.startWhileHeadless = startWhileHeadless;
}

void WaitForOpeners()
{
    std::vector<pid_t> running;
    {
        Opener& o = O();
        std::lock_guard<std::mutex> g(o.lock);
        running.swap(o.running);
    }
    for (pid_t pid : running) {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
}

}  // namespace plat::os

#include "osDesktop.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace plat::os {
namespace {
std::mutex boxLock;
MessageBoxHandler boxHandler;

std::string WithSlash(std::string p)
{
    if (!p.empty() && p.back() != '/') p += '/';
    return p;
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

}  // namespace plat::os

// Saved games from arbitrary text: a load is refused with the session left as
// it was, or the loaded game saves to a text that loads to the same game.
#include "coreGameDiagnostics.h"
#include "mgrSession.h"
#include "osDesktop.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        plat::os::SetMessageBoxHandler([](const plat::os::MessageBoxRequest&) { return plat::os::BoxAnswer::Ok; });
        SetAdminConsole([](const std::string&) {});
        return true;
    }();
    (void)quiet;
    SeedRandom(1);
    TSession session;
    session.Initialize();
    std::string before;
    (void)SaveGameText(session, before);
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!LoadGameText(session, text)) {
        std::string after;
        (void)SaveGameText(session, after);
        if (after != before) std::abort();
        return 0;
    }
    std::string saved;
    (void)SaveGameText(session, saved);
    TSession other;
    other.Initialize();
    if (!LoadGameText(other, saved)) std::abort();
    std::string again;
    (void)SaveGameText(other, again);
    if (again != saved) std::abort();
    return 0;
}

// HTTP replies to the version check from a loopback server: the whole reply
// to the check (status line and headers included; "@URL@" stands for the
// server's address) and, after a NUL byte, the reply to the download it may
// ask for. Every request ends, and a download lands in the per-user folder
// without touching any other file there or elsewhere.
#include "clVersionCheck.h"
#include "fuzzsupport.h"
#include "game/online/httpFixture.h"
#include "mgrSettings.h"
#include "osFiles.h"
#include "qz7kvdata.h"
#include "rawreplyserver.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace {
namespace fs = std::filesystem;

// The files the program keeps in the per-user folder, with a content each.
const char* const kOwnFiles[] = {"Settings.txt",    "Savedgame.txt",     "Version.txt",  "Player.userdata",
                                 "Player.statistics", "recording.dat", "debugsave.txt", "benchmark.txt"};

std::map<std::string, std::string> Tree(const fs::path& root)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::ifstream in(it->path(), std::ios::binary);
        files[it->path().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

bool Finish(TVersionCheck& vc, int32_t state)
{
    return vqtest::PumpUntil([&] {
        vc.CheckTimeout();
        return vc.State() != state;
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = fuzz::StartQuiet();
    static vqtest::NoProxy noProxy;
    static fuzz::TRawReplyServer server;
    static TQZKeyValue settings;
    (void)quiet;
    fuzz::Check(server.Listening());
    Settings = &settings;
    std::string check, download;
    fuzz::SplitInput(data, size, std::string(1, '\0'), check, download);
    server.SetReplies({Replace(check, "@URL@", server.Url("")), download});
    SetSetting("Internet.CheckUpdateURL", server.Url("/version.txt"));

    const fs::path home = fuzz::Home().Path();
    const fs::path user = plat::os::NativePath(UserFolder());
    for (const char* name : kOwnFiles) std::ofstream(user / name, std::ios::binary) << name;
    std::error_code ec;
    fs::remove(user / kChangelogFile, ec);
    const std::map<std::string, std::string> before = Tree(home);

    TVersionCheck vc("Version 1.00");
    fuzz::Check(vc.CheckForUpdate());
    fuzz::Check(Finish(vc, VERSION_RETRIEVING));
    std::string downloaded;
    if (vc.DownloadUpdate()) {
        fuzz::Check(Finish(vc, VERSION_DOWNLOADING));
        downloaded = plat::os::NativePath(vc.DownloadPath());
    }
    // Inside the per-user folder, and no file that was there before.
    const std::string inside = (user / "").string();
    fuzz::Check(downloaded.empty() || (downloaded.rfind(inside, 0) == 0 && !before.count(downloaded)));
    // Only the change log, the download and the program's log are new or changed.
    for (const auto& [path, bytes] : Tree(home)) {
        const std::string name = fs::path(path).filename().string();
        if (path == (user / kChangelogFile).string() || path == downloaded || name.rfind("log.", 0) == 0) continue;
        const auto it = before.find(path);
        if (it == before.end() || it->second != bytes) std::fprintf(stderr, "changed: %s\n", path.c_str());
        fuzz::Check(it != before.end() && it->second == bytes);
    }
    if (!downloaded.empty()) fs::remove(downloaded, ec);
    return 0;
}

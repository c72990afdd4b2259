// Shared by the achievement fuzz targets: a working folder for the
// definition files, a settings tree, and the engine started over them with
// its clock fixed, then fed the triggers of self-played hands.
#pragma once

#include "clSelfPlay.h"
#include "coreGameDiagnostics.h"
#include "fuzzsupport.h"
#include "mgrAchievements.h"
#include "mgrSettings.h"
#include "osFiles.h"
#include "qz7kvdata.h"
#include "qz7text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fuzz {

// The definition files in the working folder, as the asset generator
// writes them: scrambled, the achievements headed by their check value over
// the lines as the engine cuts them (at CR LF, blank ones skipped).
inline void WriteConfigs(const std::string& achievements, const std::string& statistics)
{
    std::vector<TAchievementDef> defs;
    size_t start = 0;
    while (start < achievements.size()) {
        size_t end = achievements.find("\r\n", start);
        if (end == std::string::npos) end = achievements.size();
        const std::string line = achievements.substr(start, end - start);
        start = end + 2;
        if (!TrimText(line).empty()) defs.push_back(ParseAchievementLine(line));
    }
    char check[16];
    std::snprintf(check, sizeof check, "%08X\r\n", AchievementCheckValue(defs));
    WriteBinary(kAchievementConfigFile, ScrambleConfigText(check + achievements));
    WriteBinary(kStatisticConfigFile, ScrambleConfigText(statistics));
}

class TAchievementRun {
public:
    TAchievementRun()
    {
        StartQuiet();
        SetAdminConsole([](const std::string&) {});
        std::filesystem::create_directories(work_ + "Assets/Config");
        std::filesystem::current_path(work_);
        Settings = &settings_;
    }
    // A fresh engine over the files of the working folder.
    TAchievements& Start()
    {
        engine_ = std::make_unique<TAchievements>();
        engine_->SetClock([] { return 45000.5; });
        engine_->Initialize();
        return *engine_;
    }
    // The user's progress files, or where they would be.
    static std::string UserFile(const char* extension)
    {
        return plat::os::NativePath(UserFolder() + AchievementUserName() + extension);
    }
    static void ClearProgress()
    {
        std::error_code ec;
        for (const char* extension : {".userdata", ".statistics"}) std::filesystem::remove(UserFile(extension), ec);
    }
    // Hands played by the computer, their triggers going to the engine.
    void PlayHands(int32_t hands, uint64_t seed)
    {
        TSelfPlayConfig config;
        config.seed = seed;
        config.handLimit = hands;
        config.checkInvariants = false;
        RunSelfPlay(config);
    }

private:
    const std::string work_ = Home().File("work/");
    TQZKeyValue settings_;
    std::unique_ptr<TAchievements> engine_;
};

}  // namespace fuzz

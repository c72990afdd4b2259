// A working folder holding the definition files, a per-user folder, a
// settings tree and the warnings shown, for tests of the achievement engine.
#pragma once

#include "mgrAchievements.h"
#include "mgrSettings.h"
#include "osDesktop.h"
#include "osFiles.h"
#include "qz7kvdata.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class AchievementTest : public ::testing::Test {
public:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(work.Path());
        std::filesystem::create_directories("Assets/Config");
        Settings = &settings;
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        engine.reset();
        plat::os::SetMessageBoxHandler(nullptr);
        Settings = nullptr;
        std::filesystem::current_path(old_);
    }

    static TAchievementDef Achievement(int32_t id, int32_t target, const std::string& trigger,
                                       const std::string& condition, const std::string& statistic = "")
    {
        TAchievementDef d;
        d.id = id;
        d.target = target;
        d.icon = {id % 8, id / 8};
        d.title = "Title " + std::to_string(id);
        d.description = "Description of " + std::to_string(id);
        d.kind = id % 2 ? "hidden" : "normal";
        d.trigger = trigger;
        d.condition = condition;
        d.statistic = statistic;
        return d;
    }
    static TStatisticDef Statistic(int32_t id, const std::string& name, const std::string& trigger,
                                   const std::string& condition)
    {
        return {id, name, "Caption " + name, trigger, condition};
    }

protected:
    void WriteDefinitions(const std::vector<TAchievementDef>& a, const std::vector<TStatisticDef>& s)
    {
        std::string error;
        ASSERT_TRUE(WriteAchievementConfig(kAchievementConfigFile, a, &error)) << error;
        ASSERT_TRUE(WriteStatisticConfig(kStatisticConfigFile, s, &error)) << error;
    }

    // A fresh engine started over the files, at a fixed time.
    TAchievements& Start()
    {
        engine = std::make_unique<TAchievements>();
        engine->SetClock([this] { return now; });
        engine->SetPopupHook([this](int32_t id, const TQZRect&) { popups.push_back(id); });
        engine->Initialize();
        return *engine;
    }

    // The per-user folder as the file system names it.
    static std::string UserPath(const std::string& name) { return plat::os::NativePath(UserFolder() + name); }
    static std::string UserFile(const std::string& name) { return vqtest::ReadFile(UserPath(name)); }

    vqtest::TempDir work;
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    TQZKeyValue settings;
    std::vector<std::string> warnings;
    std::vector<int32_t> popups;
    double now = 45000.5;  // 2023-03-15 12:00:00
    std::unique_ptr<TAchievements> engine;
    std::filesystem::path old_;
};

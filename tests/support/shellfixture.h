// The whole engine, headless, on the generated assets with a scratch
// per-user folder.
#pragma once

#include "coreEngine.h"
#include "coreGameDiagnostics.h"
#include "mgrStates.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace shelltest {

class EngineFixture : public ::testing::Test {
protected:
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::filesystem::path old = std::filesystem::current_path();
    std::unique_ptr<TMainEngine> engine;
    std::vector<std::string> admin;
    // The application identity the framework starts under.
    std::string identity = "Vantorel Qar";

    void SetUp() override
    {
        std::filesystem::current_path(VQ_RUNTIME_DIR);
        ResetManagerRegistry();
        RegisterGameManagers();
        FrameworkStart(identity);
        engine = std::make_unique<TMainEngine>();
        SetAdminConsole([this](const std::string& line) { admin.push_back(line); });
        engine->Start();
    }
    void TearDown() override
    {
        SetAdminConsole(nullptr);
        engine.reset();
        FrameworkStop();
        ResetManagerRegistry();
        std::filesystem::current_path(old);
    }
    bool Logged(const std::string& line) const { return std::find(admin.begin(), admin.end(), line) != admin.end(); }
    int32_t CurrentId() const { return StateEngine ? StateEngine->CurrentId() : 0; }
    // One frame of the program, without its pacing.
    void Frame()
    {
        if (StateEngine) StateEngine->Update();
    }
};

}  // namespace shelltest

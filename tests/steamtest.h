// Test helpers: users of one in-process hub, each with a Steam layer of its
// own and its log captured.
#pragma once

#include "qz7steam.h"
#include "swHub.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <mutex>

namespace steamtest {

namespace sw = plat::steamworks;

constexpr sw::UserId kAnna = 76561001;
constexpr sw::UserId kBram = 76561002;
constexpr sw::UserId kCora = 76561003;
constexpr sw::UserId kDirk = 76561004;

struct TUser {
    TUser(sw::Hub& hub, sw::UserId id) : id(id), steam(CreateSingleton<TQZSteam>(hub.SignIn(id)))
    {
        steam->SetLogCallback([this](const std::string& line) {
            std::lock_guard<std::mutex> guard(lock);
            log.push_back(line);
        });
    }
    int Count(const std::string& text)
    {
        std::lock_guard<std::mutex> guard(lock);
        int n = 0;
        for (const auto& l : log)
            if (l.find(text) != std::string::npos) ++n;
        return n;
    }
    bool Logged(const std::string& text) { return Count(text) > 0; }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> guard(lock);
        return log;
    }
    void ClearLog()
    {
        std::lock_guard<std::mutex> guard(lock);
        log.clear();
    }

    sw::UserId id;
    std::mutex lock;
    std::vector<std::string> log;
    std::unique_ptr<TQZSteam> steam;
};

struct THubFixture : ::testing::Test {
    vqtest::TempDir home;
    std::shared_ptr<sw::Hub> hub = std::make_shared<sw::Hub>(home.Path());
    THubFixture()
    {
        hub->AddUser(kAnna, "Anna");
        hub->AddUser(kBram, "Bram");
        hub->AddUser(kCora, "Cora");
        hub->AddUser(kDirk, "Dirk");
    }
    std::unique_ptr<TUser> User(sw::UserId id) { return std::make_unique<TUser>(*hub, id); }
};

}  // namespace steamtest

#include "mgrServices.h"

#include "coreGameDiagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string>* calls = nullptr;

class TEchoService : public TMicroService {
public:
    TEchoService() : TMicroService("TEchoService") {}
    void Execute(const std::string& arguments) override { calls->push_back(name + " execute [" + arguments + "]"); }
    void Tick() override { calls->push_back(name + " tick"); }
    void Shutdown() override { calls->push_back(name + " shutdown"); }
};

class ServiceManagerTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    std::vector<std::string> admin;
    std::unique_ptr<TServiceManager> services = std::make_unique<TServiceManager>();

    void SetUp() override
    {
        calls = &log;
        SetAdminConsole([this](const std::string& line) { admin.push_back(line); });
        services->Initialize();
        services->RegisterService([] { return std::make_unique<TEchoService>(); }, "echo");
        services->RegisterService([] { return std::make_unique<TEchoService>(); }, "Other");
    }
    void TearDown() override
    {
        services.reset();
        SetAdminConsole(nullptr);
        calls = nullptr;
    }
    bool Logged(const std::string& line) const { return std::find(admin.begin(), admin.end(), line) != admin.end(); }
};

TEST_F(ServiceManagerTest, AnInstructionStartsItsServiceOnceAndPassesTheArguments)
{
    services->MarshalInstruction("echo.Start.now");
    services->MarshalInstruction("ECHO and more.second");
    services->MarshalInstruction("Echo");
    EXPECT_EQ(1, services->RunningCount());
    EXPECT_EQ((std::vector<std::string>{"ECHO execute [Start.now]", "ECHO execute [second]", "ECHO execute []"}), log);
    EXPECT_TRUE(Logged("Microservice \"ECHO\" registered"));
}

TEST_F(ServiceManagerTest, UnknownNamesAreLoggedAndListShowsBothLists)
{
    services->MarshalInstruction("nothing.here");
    EXPECT_TRUE(Logged("Unable to marshal function \"nothing.here\": no available microservice to handle."));
    services->MarshalInstruction("other.x");
    services->MarshalInstruction("list");
    const std::vector<std::string> tail(admin.end() - 5, admin.end());
    EXPECT_EQ((std::vector<std::string>{"Running services:", "   OTHER", "Available services:", "   ECHO", "   OTHER"}),
              tail);
}

TEST_F(ServiceManagerTest, TickRunsEveryServiceAndTheManagerShutsThemDownLastFirst)
{
    services->MarshalInstruction("echo");
    services->MarshalInstruction("other");
    log.clear();
    services->Tick();
    services.reset();
    EXPECT_EQ((std::vector<std::string>{"ECHO tick", "OTHER tick", "OTHER shutdown", "ECHO shutdown"}), log);
}

TEST_F(ServiceManagerTest, RegisteringANameAgainReplacesItsClass)
{
    services->RegisterService(nullptr, "ECHO");
    EXPECT_EQ((std::vector<std::string>{"ECHO", "OTHER"}), services->RegisteredNames());
    services->MarshalInstruction("echo");
    EXPECT_EQ(0, services->RunningCount());
    EXPECT_TRUE(Logged("Unable to marshal function \"echo\": no available microservice to handle."));
}

}  // namespace

TEST_F(ServiceManagerTest, UnitsBelowFindOnlyRunningServicesAndNothingOnceTheManagerIsGone)
{
    EXPECT_EQ(nullptr, FindRunningService("ECHO")) << "registered, not started";
    services->MarshalInstruction("echo.go");
    TMicroService* echo = services->Running("ECHO");
    ASSERT_NE(nullptr, echo);
    EXPECT_EQ(echo, FindRunningService("echo"));
    EXPECT_EQ(nullptr, FindRunningService("OTHER"));
    services.reset();
    EXPECT_EQ(nullptr, FindRunningService("ECHO"));
}

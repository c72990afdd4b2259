// The version check against a loopback server, with the clock injected: a
// newer version found and downloaded with its progress on the taskbar, older
// ones not offered, silence ending the request after ten seconds.
#include "clTaskbarProgress.h"
#include "clVersionCheck.h"
#include "httpFixture.h"
#include "httpTestServer.h"
#include "mgrSettings.h"
#include "osClock.h"
#include "osDesktop.h"
#include "osFiles.h"
#include "osTaskbar.h"
#include "qz7kvdata.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {

using vqtest::HttpTestServer;
using vqtest::PumpUntil;
using vqtest::Reply;
using vqtest::Route;

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings = &settings;
        plat::os::SetClockSource([this] { return clock.load(); });
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
        plat::os::TakeOpenRequests();
        plat::os::ResetTaskbarRecord();
        ProcessSynchronize();
    }
    void TearDown() override
    {
        ProcessSynchronize();
        plat::os::SetMessageBoxHandler(nullptr);
        plat::os::SetClockSource(nullptr);
        Settings = nullptr;
    }
    void Advance(double seconds) { clock += uint64_t(seconds * 1e9); }
    // A newer version found and its download from the route begun.
    void StartDownload(TVersionCheck& vc, HttpTestServer& server, const Route& download)
    {
        server.SetRoute("/version", {200, ReplyText("Version 1.95", server.Url("/files/setup.bin"))});
        server.SetRoute("/files/setup.bin", download);
        Check(vc, server, "/version");
        ASSERT_TRUE(vc.DownloadUpdate());
    }
    // Pumps until the download holds that many bytes, as the frames watch
    // the time-out meanwhile; then the time-out has seen them.
    static bool ReceiveUntil(TVersionCheck& vc, int64_t bytes)
    {
        const bool got = PumpUntil([&] {
            vc.CheckTimeout();
            return vc.Http().Received() == bytes;
        });
        vc.CheckTimeout();
        return got;
    }
    static std::string Native(const std::string& path) { return plat::os::NativePath(path); }
    static std::string ReplyText(const std::string& version, const std::string& download)
    {
        return "VANTOREL update information\r\n" + version + "\r\n\r\n" + download + "\r\nWhat changed:\r\n- more\r\n";
    }
    // A check against the route, run to its end.
    void Check(TVersionCheck& vc, HttpTestServer& server, const std::string& path)
    {
        SetSetting("Internet.CheckUpdateURL", server.Url(path));
        ASSERT_TRUE(vc.CheckForUpdate());
        EXPECT_EQ(vc.State(), VERSION_RETRIEVING);
        EXPECT_EQ(vc.GetStatusText(), "Retrieving version information...");
        ASSERT_TRUE(PumpUntil([&] { return vc.State() != VERSION_RETRIEVING; }));
    }

    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    vqtest::ScopedEnv headless{"VQ_TEST", "1"};
    vqtest::NoProxy noProxy;
    TQZKeyValue settings;
    std::atomic<uint64_t> clock{uint64_t(5000) * 1000000000ull};
    std::vector<std::string> warnings;
};

TEST_F(VersionCheckTest, NewerVersionIsFoundAndDownloadedWithProgressOnTheTaskbar)
{
    HttpTestServer server;
    std::string installer(200000, '\0');
    for (size_t i = 0; i < installer.size(); ++i) installer[i] = char(i * 7);
    std::string reply = ReplyText("Version 1.91", server.Url("/files/setup.bin?from=menu"));
    server.SetRoute("/version", {200, reply});
    server.SetRoute("/files/setup.bin?from=menu", {200, installer, Reply::Gated, 50000});
    TVersionCheck vc("Version 1.90");
    Check(vc, server, "/version");
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_EQ(vc.State(), VERSION_IDLE);
    EXPECT_TRUE(vc.ReplyValid());
    EXPECT_TRUE(vc.NewVersion());
    EXPECT_EQ(vc.VersionText(), "Version 1.91");
    EXPECT_EQ(vc.GetStatusText(), "New version available for download!");
    EXPECT_EQ(vqtest::ReadFile(Native(vc.ChangelogPath())), reply);
    EXPECT_EQ(Native(vc.DownloadPath()), Native(UserFolder() + "setup.bin"));
    ASSERT_TRUE(vc.ShowChangelog());
    EXPECT_EQ(plat::os::TakeOpenRequests(), std::vector<std::string>{Native(vc.ChangelogPath())});

    TTaskBarProgress taskbar(7);
    ASSERT_TRUE(vc.DownloadUpdate());
    EXPECT_EQ(vc.GetStatusText(), "Downloading new version...");
    int64_t received = 0, total = 0;
    // What the screen does every frame: the time-out check, then the bar.
    auto frame = [&] {
        vc.CheckTimeout();
        vc.GetProgress(received, total);
        taskbar.SetTotal(total);
        taskbar.SetValue(received);
    };
    ASSERT_TRUE(PumpUntil([&] { frame(); return received == 50000; }));
    EXPECT_EQ(total, 200000);
    EXPECT_EQ(vc.GetTimeRemaining(), 0) << "bytes have come";
    EXPECT_FALSE(vc.Downloaded());
    EXPECT_FALSE(std::filesystem::exists(Native(vc.DownloadPath()))) << "no partial file";
    server.OpenGate();
    ASSERT_TRUE(PumpUntil([&] { frame(); return vc.State() != VERSION_DOWNLOADING; }));
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    EXPECT_TRUE(vc.Downloaded());
    EXPECT_EQ(vqtest::ReadFile(Native(vc.DownloadPath())), installer);
    auto perms = std::filesystem::status(Native(vc.DownloadPath())).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);

    std::vector<plat::os::TaskbarProgress> history = plat::os::TaskbarHistory(7);
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.front().state, plat::os::TaskbarState::Normal);
    plat::os::TaskbarProgress half{plat::os::TaskbarState::Normal, 50000, 200000};
    EXPECT_NE(std::find(history.begin(), history.end(), half), history.end());

    ASSERT_TRUE(vc.RunInstaller());
    EXPECT_EQ(plat::os::TakeOpenRequests(), std::vector<std::string>{Native(UserFolder())})
        << "the folder holding the download is shown; nothing is run";

    // An opener that cannot start: the warning names the download as this
    // platform writes paths.
    plat::os::SetDesktopOpener(home.File("no-such-opener"), true);
    EXPECT_FALSE(vc.RunInstaller());
    plat::os::SetDesktopOpener("", false);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ(warnings[0], "Failed to execute program \"" + home.Path() + "VantorelQar/setup.bin\"");
}

struct OfferCase {
    const char* version;
    bool newer;
};

TEST_F(VersionCheckTest, OnlyALaterVersionTextIsOffered)
{
    HttpTestServer server;
    const OfferCase cases[] = {{"Version 1.90", false}, {"Version 1.89", false}, {"Version 1.100", false},
                               {"Version 1.91", true},  {"Version 2.00", true}};
    TVersionCheck vc("Version 1.90");
    for (const OfferCase& c : cases) {
        server.SetRoute("/version", {200, ReplyText(c.version, server.Url("/files/setup.bin"))});
        Check(vc, server, "/version");
        EXPECT_EQ(vc.NewVersion(), c.newer) << c.version;
        EXPECT_EQ(vc.GetStatusText(), c.newer ? "New version available for download!" : "Current version is up to date.");
        if (!c.newer) {
            EXPECT_FALSE(vc.DownloadUpdate()) << "nothing newer to download";
        }
    }
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(server.RequestedPaths().size(), 5u);
}

TEST_F(VersionCheckTest, FailedChecksAreReportedAndStayFailed)
{
    HttpTestServer server;
    server.SetRoute("/plain", {200, "Hello\r\nVersion 9.99\r\n\r\nhttp://x/y.bin\r\n"});
    TVersionCheck vc;
    Check(vc, server, "/plain");
    EXPECT_EQ(vc.State(), VERSION_FAILED);
    EXPECT_FALSE(vc.NewVersion()) << "not parsed without the marker";
    EXPECT_EQ(vqtest::ReadFile(Native(vc.ChangelogPath())), "Hello\r\nVersion 9.99\r\n\r\nhttp://x/y.bin\r\n");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Failed to check for new version; Error: \"Unrecognised reply\" \r\n(URL=\"" +
                               server.Url("/plain") + "\")");

    warnings.clear();
    Check(vc, server, "/absent");
    EXPECT_EQ(vc.State(), VERSION_FAILED);
    EXPECT_EQ(vc.GetStatusText(), "Request failed; no response received.");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("HTTP status 404"), std::string::npos) << warnings[0];
    EXPECT_EQ(vqtest::ReadFile(Native(vc.ChangelogPath())), "Hello\r\nVersion 9.99\r\n\r\nhttp://x/y.bin\r\n")
        << "a refused request leaves the change log alone";
}

TEST_F(VersionCheckTest, EmptyAddressMakesNoRequestAndSaysSo)
{
    TVersionCheck vc;
    SetSetting("Internet.CheckUpdateURL", "");
    EXPECT_FALSE(vc.CheckForUpdate());
    EXPECT_EQ(vc.State(), VERSION_IDLE);
    EXPECT_NE(vc.Http().State(), HTTP_RUNNING) << "nothing was asked";
    EXPECT_EQ(vc.GetStatusText(), "No update address is configured.");
    EXPECT_EQ(vc.GetTimeRemaining(), 0);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(VersionCheckTest, SilentServerFailsAfterTenSecondsWithoutAByte)
{
    HttpTestServer server;
    server.SetRoute("/version", {200, "", Reply::Silent});
    SetSetting("Internet.CheckUpdateURL", server.Url("/version"));
    TVersionCheck vc;
    ASSERT_TRUE(vc.CheckForUpdate());
    ASSERT_TRUE(server.WaitForRequests(1));
    Advance(9.5);
    vc.CheckTimeout();
    EXPECT_EQ(vc.State(), VERSION_RETRIEVING);
    EXPECT_NEAR(vc.GetTimeRemaining(), 0.5, 1e-6);
    Advance(1.0);
    vc.CheckTimeout();
    EXPECT_EQ(vc.State(), VERSION_FAILED);
    ASSERT_TRUE(PumpUntil([&] { return !warnings.empty(); }));
    EXPECT_EQ(warnings[0], "Failed to check for new version; Error: \"Timed out; no response\" \r\n(URL=\"" +
                               server.Url("/version") + "\")");
    EXPECT_EQ(vc.State(), VERSION_FAILED);
    EXPECT_EQ(vc.GetStatusText(), "Request failed; no response received.");
    EXPECT_FALSE(vc.IsBusy());
    EXPECT_EQ(vc.Http().ErrorText(), "Request aborted") << "the connection was dropped";
}

TEST_F(VersionCheckTest, DownloadStallingAfterItsFirstBytesAlsoTimesOut)
{
    HttpTestServer server;
    TVersionCheck vc;
    StartDownload(vc, server, {200, std::string(5000, 'z'), Reply::StallAfter, 1000});
    ASSERT_TRUE(ReceiveUntil(vc, 1000));
    Advance(9.9);
    vc.CheckTimeout();
    EXPECT_EQ(vc.State(), VERSION_DOWNLOADING);
    Advance(0.2);
    vc.CheckTimeout();
    EXPECT_EQ(vc.State(), VERSION_FAILED);
    ASSERT_TRUE(PumpUntil([&] { return !warnings.empty(); }));
    EXPECT_EQ(warnings[0], "Failed to download file \"" + server.Url("/files/setup.bin") + "\"");
    EXPECT_FALSE(vc.Downloaded());
    EXPECT_FALSE(std::filesystem::exists(Native(vc.DownloadPath())));
    EXPECT_FALSE(vc.RunInstaller());
}

// The time-out counts from the last byte, not from the request: a download
// whose bytes come in steadily runs as long as it takes.
TEST_F(VersionCheckTest, BytesTricklingInSteadilyNeverTimeOut)
{
    HttpTestServer server;
    TVersionCheck vc;
    StartDownload(vc, server, {200, std::string(4000, 'z'), Reply::Trickle, 1000});
    for (int64_t received = 1000; received < 4000; received += 1000) {
        ASSERT_TRUE(ReceiveUntil(vc, received));
        Advance(7.0);  // three of these are far past the ten seconds
        vc.CheckTimeout();
        ASSERT_EQ(vc.State(), VERSION_DOWNLOADING) << received << " bytes in";
        server.OpenGate();
    }
    ASSERT_TRUE(PumpUntil([&] { return vc.State() != VERSION_DOWNLOADING; }));
    EXPECT_TRUE(vc.Downloaded());
    EXPECT_EQ(std::filesystem::file_size(Native(vc.DownloadPath())), 4000u);
    EXPECT_TRUE(warnings.empty());
}

// Two lines are too few to offer anything, however new the version they name.
TEST_F(VersionCheckTest, AReplyOfOnlyTheMarkerAndAVersionOffersNothing)
{
    HttpTestServer server;
    TVersionCheck vc("Version 1.90");
    for (const char* reply : {"VANTOREL\r\nVersion 2.00", "VANTOREL\nVersion 2.00", "VANTOREL\r\nVersion 2.00\r\n"}) {
        server.SetRoute("/version", {200, reply});
        Check(vc, server, "/version");
        EXPECT_EQ(vc.State(), VERSION_IDLE) << reply;
        EXPECT_FALSE(vc.NewVersion()) << reply;
        EXPECT_EQ(vc.GetStatusText(), "Current version is up to date.");
    }
    // A third line, empty, is enough.
    server.SetRoute("/version", {200, "VANTOREL\r\nVersion 2.00\r\n\r\n"});
    Check(vc, server, "/version");
    EXPECT_TRUE(vc.NewVersion());
    EXPECT_TRUE(warnings.empty());
}

TEST_F(VersionCheckTest, DownloadAddressMustNameAPlainFile)
{
    HttpTestServer server;
    server.SetRoute("/version", {200, ReplyText("Version 1.95", server.Url("/files/.."))});
    TVersionCheck vc;
    Check(vc, server, "/version");
    ASSERT_TRUE(vc.NewVersion());
    EXPECT_EQ(vc.DownloadPath(), "");
    EXPECT_FALSE(vc.DownloadUpdate());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Failed to download file \"" + server.Url("/files/..") + "\"");
    EXPECT_EQ(server.RequestedPaths().size(), 1u) << "nothing was fetched";
}

// A reply naming one of the program's own per-user files gets nothing
// downloaded over it: the player's settings, game and progress stay.
TEST_F(VersionCheckTest, ADownloadNeverReplacesAFileTheProgramKeeps)
{
    HttpTestServer server;
    server.SetRoute("/files/setup.bin", {200, "installer"});
    for (const char* name : {"Settings.txt", "savedgame.TXT", "Player.userdata", "x.Statistics", "recording.dat"}) {
        const std::string path = Native(UserFolder() + name);
        { std::ofstream(path, std::ios::binary) << "kept"; }
        warnings.clear();
        server.SetRoute("/version", {200, ReplyText("Version 9.00", server.Url("/files/" + std::string(name)))});
        TVersionCheck vc;
        Check(vc, server, "/version");
        ASSERT_TRUE(vc.NewVersion()) << name;
        EXPECT_EQ(vc.DownloadPath(), "") << name;
        EXPECT_FALSE(vc.DownloadUpdate()) << name;
        EXPECT_EQ(warnings.size(), 1u) << name;
        EXPECT_EQ(vqtest::ReadFile(path), "kept") << name;
        std::filesystem::remove(path);
    }
    // A name that merely resembles one is still a download.
    server.SetRoute("/version", {200, ReplyText("Version 9.00", server.Url("/files/Settings.txt.exe"))});
    TVersionCheck vc;
    Check(vc, server, "/version");
    EXPECT_EQ(Native(vc.DownloadPath()), Native(UserFolder() + "Settings.txt.exe"));
}

TEST(DownloadFileNameTest, LastPathSegmentWithoutQueryOrUnsafeNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://host/dl/setup.exe?x=1&y=2", "setup.exe"},
        {"https://host/dl/file.bin#part", "file.bin"},
        {"http://host/dl/%2e%2e", "%2e%2e"},
        {"http://host/setup.exe?path=/etc/passwd", "setup.exe"},
        {"http://host/dl/", ""},
        {"http://host/dl/..", ""},
        {"http://host/.", ""},
        {"http://host", ""},
        {"http://host?f=/a.exe", ""},
        {"http://host/a\\..\\..\\evil", ""},
        {"", ""},
    };
    for (const auto& [url, name] : cases) EXPECT_EQ(DownloadFileName(url), name) << url;
}

TEST(TaskbarProgressTest, RecordsOnlyForAnOpenWindowAndSwitchesOffWhenFreed)
{
    plat::os::ResetTaskbarRecord();
    {
        TTaskBarProgress none(0);
        none.SetValue(5);
        EXPECT_FALSE(none.Active());
    }
    EXPECT_TRUE(plat::os::TaskbarHistory(0).empty());
    {
        TTaskBarProgress bar(3);
        EXPECT_TRUE(bar.Active());
        bar.SetTotal(1000);
        bar.SetValue(250);
        EXPECT_EQ(plat::os::TaskbarProgressOf(3),
                  (plat::os::TaskbarProgress{plat::os::TaskbarState::Normal, 250, 1000}));
    }
    EXPECT_EQ(plat::os::TaskbarProgressOf(3).state, plat::os::TaskbarState::None);
    TTaskBarProgress closing(4);
    plat::os::TaskbarWindowClosed(4);
    closing.SetValue(10);
    EXPECT_TRUE(plat::os::TaskbarHistory(4).empty()) << "a closed window is forgotten";
}

}  // namespace

// The HTTP service against a loopback server: results, refusals, aborts,
// resets and destruction mid-request, callbacks that must not outlive the
// service, and TLS with a certificate trusted or not.
#include "httpFixture.h"
#include "httpTestServer.h"
#include "qz7nethttp.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

using vqtest::HttpTestServer;
using vqtest::PumpUntil;
using vqtest::Reply;
using vqtest::Route;

class HttpServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ProcessSynchronize(); }
    void TearDown() override { ProcessSynchronize(); }

    // A service whose completions are counted on the main thread.
    std::unique_ptr<TQZHTTPService> MakeService()
    {
        auto s = std::make_unique<TQZHTTPService>();
        s->SetOnComplete([this](TQZHTTPService*) { ++completions; });
        s->SetOnProgress([this](TQZHTTPService* svc) { lastProgress = svc->Received(); });
        return s;
    }
    // Runs the request to its end and delivers its completion.
    void Finish(TQZHTTPService& s)
    {
        s.Wait(false);
        ASSERT_TRUE(PumpUntil([&] { return completions > 0; }));
    }

    vqtest::NoProxy noProxy;
    int completions = 0;
    int64_t lastProgress = 0;
};

TEST_F(HttpServiceTest, GetDeliversBodyProgressAndCompletionOnTheMainThread)
{
    HttpTestServer server;
    server.SetRoute("/file", {200, std::string(100000, 'q')});
    auto s = MakeService();
    ASSERT_TRUE(s->Request("GET", server.Url("/file"))) << "waits for the worker to start";
    Finish(*s);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(s->State(), HTTP_DONE);
    EXPECT_TRUE(s->Succeeded());
    EXPECT_EQ(s->ErrorText(), "OK");
    EXPECT_EQ(s->StatusCode(), 200);
    EXPECT_EQ(s->ResponseText(), std::string(100000, 'q'));
    EXPECT_EQ(s->ContentLength(), 100000);
    EXPECT_EQ(s->Received(), 100000);
    EXPECT_GT(lastProgress, 0);
    EXPECT_EQ(server.RequestedPaths(), std::vector<std::string>{"/file"});
}

struct FailureCase {
    const char* name;
    const char* path;  // "" for an address that is not on the server
    const char* url;
    const char* error;  // a part of the error text
};

TEST_F(HttpServiceTest, FailuresEndWithoutBodyAndWithTheReason)
{
    HttpTestServer server;
    server.SetRoute("/missing", {404, "no such file"});
    server.SetRoute("/moved", {302, "elsewhere"});
    uint16_t closedPort;
    {
        HttpTestServer gone;
        closedPort = gone.Port();
    }
    const FailureCase cases[] = {
        {"404", "/missing", "", "HTTP status 404"},
        {"3xx without a place", "/moved", "", "HTTP status 302"},
        {"nobody listening", "", "http://127.0.0.1:", "onnect"},
        {"not the web", "", "file:///etc/hostname", "rotocol"},
    };
    auto s = MakeService();
    for (const FailureCase& c : cases) {
        completions = 0;
        std::string url = *c.path ? server.Url(c.path) : std::string(c.url);
        if (url == "http://127.0.0.1:") url += std::to_string(closedPort) + "/";
        ASSERT_TRUE(s->Request("GET", url)) << c.name;
        Finish(*s);
        EXPECT_FALSE(s->Succeeded()) << c.name;
        EXPECT_EQ(s->ResponseText(), "") << c.name;
        EXPECT_NE(s->ErrorText().find(c.error), std::string::npos) << c.name << ": " << s->ErrorText();
    }
}

TEST_F(HttpServiceTest, SecondRequestIsRefusedWithoutDisturbingTheFirst)
{
    HttpTestServer server;
    server.SetRoute("/slow", {200, "first half|second half", Reply::Gated, 11});
    server.SetRoute("/other", {200, "other"});
    auto s = MakeService();
    ASSERT_TRUE(s->Request("GET", server.Url("/slow")));
    ASSERT_TRUE(PumpUntil([&] { return s->Received() == 11; }));
    EXPECT_TRUE(s->IsBusy());
    EXPECT_EQ(s->ContentLength(), 22) << "the announced size while running";
    EXPECT_EQ(s->Response().size(), 0u) << "no body while running";
    EXPECT_FALSE(s->Request("GET", server.Url("/other")));
    EXPECT_FALSE(s->Request("GET", "")) << "an empty address is never a request";
    server.OpenGate();
    Finish(*s);
    EXPECT_EQ(s->ResponseText(), "first half|second half");
    EXPECT_EQ(server.RequestedPaths(), std::vector<std::string>{"/slow"});
}

TEST_F(HttpServiceTest, AbortEndsASilentRequestAsFailed)
{
    HttpTestServer server;
    server.SetRoute("/silent", {200, "", Reply::Silent});
    auto s = MakeService();
    ASSERT_TRUE(s->Request("GET", server.Url("/silent")));
    ASSERT_TRUE(server.WaitForRequests(1));
    s->Abort();
    Finish(*s);
    EXPECT_FALSE(s->Succeeded());
    EXPECT_EQ(s->ErrorText(), "Request aborted");
}

TEST_F(HttpServiceTest, ResetDuringARequestEndsItFirstAndDropsItsCompletion)
{
    HttpTestServer server;
    server.SetRoute("/silent", {200, "", Reply::Silent});
    server.SetRoute("/ok", {200, "fine"});
    auto s = MakeService();
    ASSERT_TRUE(s->Request("GET", server.Url("/silent")));
    ASSERT_TRUE(server.WaitForRequests(1));
    s->Reset();
    EXPECT_EQ(s->State(), HTTP_IDLE);
    ASSERT_TRUE(s->Request("GET", server.Url("/ok")));
    Finish(*s);
    EXPECT_EQ(completions, 1) << "only the second request completes";
    EXPECT_EQ(s->ResponseText(), "fine");
}

TEST_F(HttpServiceTest, DestroyingMidRequestReturnsAndQueuedCallbacksNeverRun)
{
    HttpTestServer server;
    server.SetRoute("/silent", {200, "", Reply::Silent});
    server.SetRoute("/ok", {200, "fine"});
    {
        auto s = MakeService();
        ASSERT_TRUE(s->Request("GET", server.Url("/silent")));
        ASSERT_TRUE(server.WaitForRequests(1));
    }  // aborts the transfer and ends the worker
    {
        auto s = MakeService();
        ASSERT_TRUE(s->Request("GET", server.Url("/ok")));
        s->Wait(false);
        ASSERT_TRUE(WaitForQueuedWork(20000)) << "the completion is queued";
    }  // gone before the main thread runs it
    ProcessSynchronize();
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(lastProgress, 0);
}

TEST_F(HttpServiceTest, StoppedServiceRefusesRequests)
{
    HttpTestServer server;
    auto s = MakeService();
    s->Wait(true);
    EXPECT_FALSE(s->Request("GET", server.Url("/ok")));
    EXPECT_FALSE(s->IsBusy());
}

TEST_F(HttpServiceTest, OversizedBodyFailsInsteadOfFillingMemory)
{
    HttpTestServer server;
    server.SetRoute("/big", {200, std::string(5000, 'b')});
    auto s = MakeService();
    s->SetMaxResponseBytes(1000);
    ASSERT_TRUE(s->Request("GET", server.Url("/big")));
    Finish(*s);
    EXPECT_FALSE(s->Succeeded());
    EXPECT_EQ(s->ErrorText(), "Response too large");
    EXPECT_EQ(s->ResponseText(), "");
}

// The limit is the largest body taken, not the first refused.
TEST_F(HttpServiceTest, ABodyExactlyAtTheLimitIsTakenWhole)
{
    HttpTestServer server;
    server.SetRoute("/at", {200, std::string(1000, 'a')});
    server.SetRoute("/over", {200, std::string(1001, 'o')});
    auto s = MakeService();
    s->SetMaxResponseBytes(1000);
    ASSERT_TRUE(s->Request("GET", server.Url("/at")));
    Finish(*s);
    EXPECT_TRUE(s->Succeeded()) << s->ErrorText();
    EXPECT_EQ(s->ResponseText(), std::string(1000, 'a'));
    ASSERT_TRUE(s->Request("GET", server.Url("/over")));
    Finish(*s);
    EXPECT_FALSE(s->Succeeded());
    EXPECT_EQ(s->ErrorText(), "Response too large");
}

TEST_F(HttpServiceTest, CallbacksCanRunInTheWorker)
{
    HttpTestServer server;
    server.SetRoute("/ok", {200, "fine"});
    TQZHTTPService s;
    std::atomic<bool> inWorker{false};
    const std::thread::id main = std::this_thread::get_id();
    s.SetRunCallbacksInWorker(true);
    s.SetOnComplete([&](TQZHTTPService*) { inWorker = std::this_thread::get_id() != main; });
    ASSERT_TRUE(s.Request("GET", server.Url("/ok")));
    s.Wait(true);
    EXPECT_TRUE(inWorker);
    EXPECT_FALSE(WaitForQueuedWork(0));
}

TEST_F(HttpServiceTest, HttpsFailsCleanlyUnlessTheCertificateIsTrusted)
{
    vqtest::TestCertificate cert = vqtest::MakeSelfSignedCertificate();
    HttpTestServer server(&cert);
    server.SetRoute("/secure", {200, "secret reply"});
    auto s = MakeService();
    ASSERT_TRUE(s->Request("GET", server.Url("/secure")));
    Finish(*s);
    EXPECT_FALSE(s->Succeeded());
    EXPECT_EQ(s->ResponseText(), "");
    EXPECT_NE(s->ErrorText().find("certificate"), std::string::npos) << s->ErrorText();
    EXPECT_TRUE(server.RequestedPaths().empty()) << "nothing was sent before the server was trusted";

    completions = 0;
    s->SetCertificateAuthorities(cert.certificatePem);
    ASSERT_TRUE(s->Request("GET", server.Url("/secure")));
    Finish(*s);
    EXPECT_TRUE(s->Succeeded()) << s->ErrorText();
    EXPECT_EQ(s->ResponseText(), "secret reply");
}

}  // namespace

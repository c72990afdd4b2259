#include "qz7steam.h"

namespace sw = plat::steamworks;

namespace {
// Lines kept for a log callback that is not set yet, at most.
constexpr size_t kHeldLinesMax = 64;
// Where the client's own notices appear: the bottom right corner.
constexpr int32_t kNotificationPosition = 3;
}  // namespace

TQZSteam::TQZSteam() = default;

TQZSteam::TQZSteam(std::unique_ptr<sw::Client> client) : client_(std::move(client)) {}

TQZSteam::~TQZSteam()
{
    if (initialised_) {
        client_->SetWarningHook(nullptr);
        client_.reset();
    }
    FreeOwned();
}

void TQZSteam::Initialise()
{
    {
        std::lock_guard<std::mutex> guard(logLock_);
        log_ = nullptr;
    }
    capabilities_.clear();
    if (!client_) client_ = sw::Init();
    initialised_ = client_ != nullptr;
    if (initialised_) {
        client_->SetWarningHook([this](int32_t severity, const std::string& text) {
            Log("Warning (" + std::to_string(severity) + "): " + text);
        });
        callbacks_ = Create<TQZSteamCapCallbacks>();
        images_ = Create<TQZSteamCapImages>();
        players_ = Create<TQZSteamCapPlayers>(callbacks_, images_);
        statistics_ = Create<TQZSteamCapStatistics>(callbacks_);
        utils_ = Create<TQZSteamCapUtils>();
        leaderboards_ = Create<TQZSteamCapLeaderboards>(callbacks_);
        lobbies_ = Create<TQZSteamCapLobbies>(callbacks_, players_);
        networking_ = Create<TQZSteamCapNetworking>(callbacks_);
    }
    PostCreate();
}

void TQZSteam::PostCreate()
{
    if (!initialised_) {
        Log("Cannot initialize Steam Capabilities - Steam initialization failed");
        return;
    }
    for (TQZSteamCapability* cap : capabilities_) cap->PostCreate();
    utils_->SetNotificationPosition(kNotificationPosition);
}

void TQZSteam::Log(const std::string& text)
{
    TQZSteamLogCallback callback;
    {
        std::lock_guard<std::mutex> guard(logLock_);
        if (!log_) {
            if (held_.size() == kHeldLinesMax) held_.pop_front();
            held_.push_back(text);
            return;
        }
        callback = log_;
    }
    callback(text);
}

void TQZSteam::SetLogCallback(TQZSteamLogCallback callback)
{
    std::deque<std::string> held;
    {
        std::lock_guard<std::mutex> guard(logLock_);
        log_ = callback;
        if (callback) held.swap(held_);
    }
    for (const auto& line : held) callback(line);
}

uint32_t TQZSteam::GetAppID()
{
    return initialised_ ? client_->GetAppId() : 0;
}

uint64_t TQZSteam::GetSteamID()
{
    return initialised_ ? client_->GetUserId() : 0;
}

void TQZSteam::RunFrame()
{
    if (callbacks_) callbacks_->RunFrame();
}

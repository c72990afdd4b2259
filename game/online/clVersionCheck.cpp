#include "clVersionCheck.h"

#include "coreGameDiagnostics.h"
#include "mgrSettings.h"
#include "osDesktop.h"
#include "osFiles.h"
#include "qz7files.h"
#include "qz7text.h"

#include <algorithm>

namespace {

void CheckWarning(const std::string& error, const std::string& url)
{
    ShowWarning("Failed to check for new version; Error: \"" + error + "\" \r\n(URL=\"" + url + "\")");
}

}  // namespace

std::string DownloadFileName(const std::string& url)
{
    std::string path = url.substr(0, url.find_first_of("?#"));
    size_t scheme = path.find("://");
    size_t from = scheme == std::string::npos ? 0 : scheme + 3;
    size_t slash = path.find('/', from);
    if (slash == std::string::npos) return std::string();  // no path at all
    std::string name = path.substr(path.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..") return std::string();
    for (unsigned char c : name)
        if (c == '\\' || c < 0x20 || c == 0x7F) return std::string();
    return name;
}

TVersionCheck::TVersionCheck(const std::string& currentVersion)
    : current_(currentVersion), timer_(CreateTimer(true)), activity_(CreateTimer(true)),
      http_(std::make_unique<TQZHTTPService>())
{
}

TVersionCheck::TVersionCheck() : TVersionCheck(kProgramVersion) {}

TVersionCheck::~TVersionCheck()
{
    // The service goes first: none of its callbacks can reach this object after.
    http_.reset();
}

void TVersionCheck::Begin(int32_t state, const std::string& url, void (TVersionCheck::*done)())
{
    state_ = state;
    http_->Reset();
    http_->SetOnComplete([this, done](TQZHTTPService*) { (this->*done)(); });
    lastReceived_ = 0;
    timer_->Start();
    activity_->Start();
    if (!http_->Request("GET", url)) {
        // Cannot happen with an idle service and an address; reported all the same.
        timer_->Stop();
        state_ = VERSION_FAILED;
    }
}

bool TVersionCheck::CheckForUpdate()
{
    if (http_->State() == HTTP_RUNNING) return false;
    checkUrl_ = SettingText("Internet.CheckUpdateURL");
    noAddress_ = checkUrl_.empty();
    if (noAddress_) {
        state_ = VERSION_IDLE;
        return false;
    }
    Begin(VERSION_RETRIEVING, checkUrl_, &TVersionCheck::OnCheckDone);
    return state_ == VERSION_RETRIEVING;
}

bool TVersionCheck::DownloadUpdate()
{
    if (!newVersion_ || downloadUrl_.empty() || http_->State() == HTTP_RUNNING) return false;
    if (DownloadPath().empty()) {
        ShowWarning("Failed to download file \"" + downloadUrl_ + "\"");
        return false;
    }
    Begin(VERSION_DOWNLOADING, downloadUrl_, &TVersionCheck::OnDownloadDone);
    return state_ == VERSION_DOWNLOADING;
}

void TVersionCheck::CheckTimeout()
{
    if (state_ != VERSION_RETRIEVING && state_ != VERSION_DOWNLOADING) return;
    int64_t received = http_->Received();
    if (received != lastReceived_) {
        lastReceived_ = received;
        activity_->Start();
    }
    if (activity_->Elapsed() <= kVersionTimeoutSeconds) return;
    if (http_->State() != HTTP_RUNNING) return;  // ended in time; its completion is on the way
    http_->Abort();
    timer_->Stop();
    state_ = VERSION_FAILED;
}

double TVersionCheck::GetTimeRemaining()
{
    if (state_ != VERSION_RETRIEVING && state_ != VERSION_DOWNLOADING) return 0;
    if (http_->Received() > 0) return 0;
    return kVersionTimeoutSeconds - timer_->Elapsed();
}

void TVersionCheck::GetProgress(int64_t& received, int64_t& total) const
{
    received = total = 0;
    if (!http_->IsBusy()) return;
    int64_t expected = http_->ContentLength();
    if (expected <= 0) return;
    total = expected;
    received = std::min(http_->Received(), expected);
}

std::string TVersionCheck::GetStatusText() const
{
    switch (state_) {
    case VERSION_RETRIEVING: return "Retrieving version information...";
    case VERSION_DOWNLOADING: return "Downloading new version...";
    case VERSION_FAILED: return "Request failed; no response received.";
    default: break;
    }
    if (noAddress_) return "No update address is configured.";
    return newVersion_ ? "New version available for download!" : "Current version is up to date.";
}

void TVersionCheck::OnCheckDone()
{
    newVersion_ = downloaded_ = replyValid_ = false;
    versionText_ = "?";
    downloadUrl_.clear();
    timer_->Stop();
    if (state_ == VERSION_FAILED) {
        // Timed out: the failure stays on show until the next check.
        CheckWarning("Timed out; no response", checkUrl_);
        return;
    }
    if (!http_->Succeeded()) {
        CheckFailed(http_->ErrorText());
        return;
    }
    std::string reply = http_->ResponseText();
    changelogSaved_ = WriteTextFile(ChangelogPath(), reply) == QZRES_OK;
    if (!changelogSaved_) ShowWarning("Unable to save file \"" + ChangelogPath() + "\"");
    if (reply.compare(0, 8, kReplyMarker) != 0) {
        CheckFailed("Unrecognised reply");
        return;
    }
    replyValid_ = true;
    state_ = VERSION_IDLE;
    ParseReply(reply);  // what was received, whether or not it could be saved
}

void TVersionCheck::CheckFailed(const std::string& error)
{
    CheckWarning(error, checkUrl_);
    state_ = VERSION_FAILED;
}

void TVersionCheck::ParseReply(const std::string& reply)
{
    std::vector<std::string> lines = SplitLines(reply);
    // A plain character comparison, as the reply format has always been read.
    if (lines.size() <= 2 || !(lines[1] > current_)) return;
    newVersion_ = true;
    versionText_ = lines[1];
    downloadUrl_ = lines.size() > 3 ? lines[3] : std::string();
}

void TVersionCheck::OnDownloadDone()
{
    timer_->Stop();
    bool timedOut = state_ == VERSION_FAILED;
    std::string path = DownloadPath();
    if (timedOut || !http_->Succeeded() || path.empty()) {
        ShowWarning("Failed to download file \"" + downloadUrl_ + "\"");
        state_ = VERSION_FAILED;
        return;
    }
    std::vector<uint8_t> body = http_->Response();
    // Written beside the target and renamed: a download is whole or absent.
    if (WriteFileAtomic(path, body.data(), int64_t(body.size())) != QZRES_OK) {
        ShowWarning("Unable to save file \"" + path + "\"");
        state_ = VERSION_FAILED;
        return;
    }
    downloaded_ = true;
    state_ = VERSION_IDLE;
}

std::string TVersionCheck::ChangelogPath() const { return UserFolder() + kChangelogFile; }

std::string TVersionCheck::DownloadPath() const
{
    std::string name = DownloadFileName(downloadUrl_);
    return name.empty() ? std::string() : UserFolder() + name;
}

bool TVersionCheck::RunInstaller()
{
    std::string path = DownloadPath();
    if (!downloaded_ || path.empty()) return false;
    // The installer is not run here: the folder holding it is shown instead.
    if (plat::os::OpenWithDesktop(plat::os::NativePath(UserFolder()))) return true;
    ShowWarning("Failed to execute program \"" + path + "\"");
    return false;
}

bool TVersionCheck::ShowChangelog()
{
    return plat::os::OpenWithDesktop(plat::os::NativePath(ChangelogPath()));
}

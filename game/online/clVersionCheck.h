// The version check: asks the configured address ("Internet.CheckUpdateURL")
// for the newest version, keeps the reply as the change log, downloads a
// newer installer on request and shows the folder holding it. Downloaded
// bytes are never run. The check-version screen drives it every frame.
#pragma once

#include "qz7nethttp.h"
#include "qz7timer.h"

#include <cstdint>
#include <memory>
#include <string>

enum TVersionCheckState : int32_t {
    VERSION_IDLE = 0,
    VERSION_RETRIEVING = 1,
    VERSION_DOWNLOADING = 2,
    VERSION_FAILED = 3,  // the last request failed or timed out
};

// No byte for this long ends a request: before the first byte and between any two.
constexpr double kVersionTimeoutSeconds = 10.0;
constexpr const char* kChangelogFile = "changelog.txt";
constexpr const char* kReplyMarker = "VANTOREL";

class TVersionCheck {
public:
    // currentVersion: this build's version text ("Version 1.90").
    explicit TVersionCheck(const std::string& currentVersion);
    TVersionCheck();
    ~TVersionCheck();
    TVersionCheck(const TVersionCheck&) = delete;
    TVersionCheck& operator=(const TVersionCheck&) = delete;

    // False, with nothing asked, when no address is configured (the status
    // text then says so) or a request still runs.
    [[nodiscard]] bool CheckForUpdate();
    // Only with a newer version known whose address names a file.
    [[nodiscard]] bool DownloadUpdate();
    // Every frame: ends a request that has received nothing for ten seconds.
    void CheckTimeout();
    // While waiting for the first byte: the seconds left; otherwise 0.
    double GetTimeRemaining();
    void GetProgress(int64_t& received, int64_t& total) const;
    bool IsBusy() const { return http_->IsBusy(); }
    std::string GetStatusText() const;
    // Opens the folder holding the download; never runs it.
    [[nodiscard]] bool RunInstaller();
    [[nodiscard]] bool ShowChangelog();
    std::string ChangelogPath() const;
    // Empty when the address names no plain file, or one the program keeps
    // in the per-user folder.
    std::string DownloadPath() const;

    int32_t State() const { return state_; }
    bool NewVersion() const { return newVersion_; }
    bool Downloaded() const { return downloaded_; }
    bool ReplyValid() const { return replyValid_; }
    bool ChangelogReceived() const { return changelogSaved_; }
    const std::string& VersionText() const { return versionText_; }
    const std::string& DownloadUrl() const { return downloadUrl_; }
    TQZHTTPService& Http() { return *http_; }

private:
    void Begin(int32_t state, const std::string& url, void (TVersionCheck::*done)());
    void OnCheckDone();
    void OnDownloadDone();
    void ParseReply(const std::string& reply);
    void CheckFailed(const std::string& error);

    std::string current_;
    bool newVersion_ = false;
    bool downloaded_ = false;
    bool replyValid_ = false;
    bool changelogSaved_ = false;
    bool noAddress_ = false;
    std::string versionText_ = "?";
    std::string downloadUrl_;
    std::string checkUrl_;
    int32_t state_ = VERSION_IDLE;
    std::unique_ptr<TQZTimer> timer_;     // since the request started
    std::unique_ptr<TQZTimer> activity_;  // since the last new byte
    int64_t lastReceived_ = 0;
    std::unique_ptr<TQZHTTPService> http_;
};

// The file name a download address gives: its last path segment, without
// query or fragment; empty when that is empty, "." or "..", or holds a
// backslash or a control character.
std::string DownloadFileName(const std::string& url);

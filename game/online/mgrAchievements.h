// The achievement engine: definitions read from the scrambled files, the
// triggers the game fires ("TRICK", "HAND", "GAME"), statistics counted and
// achievements advanced and unlocked, and each user's progress in two text
// files of the per-user folder.
#pragma once

#include "clAchievementConfig.h"
#include "clAchievements.h"
#include "clShellLinks.h"
#include "coreManager.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TAchieveRec : TAchievementDef {
    int32_t progress = 0;
    bool unlocked = false;
    double unlockTime = 0;  // days since 1899-12-30, local time; 0 while locked
};

struct TStatisticRec : TStatisticDef {
    int32_t value = 0;  // never negative
};

class TAchievements : public TManagerClass, public TAchievementLink {
public:
    using TUnlockCallback = std::function<void(const std::string& title)>;
    using TStatisticCallback = std::function<void(const std::string& name)>;
    // Shows the pop-up of an unlocked achievement; installed by the layer
    // that owns the widgets (nothing is shown without it).
    using TPopupHook = std::function<void(int32_t id, const TQZRect& rect)>;

    TAchievements();
    ~TAchievements() override;
    void Initialize() override;  // "Start": definitions, then the user's progress

    void LoadAchievementConfig();
    void LoadStatisticConfig();
    void ProcessTrigger(const std::string& name);
    void Trigger(const std::string& name) override { ProcessTrigger(name); }
    void CheckStatisticAchievements();

    // Reads the user's files; missing files leave everything locked and 0.
    // A statistic behind the progress of an achievement that counts it (the
    // statistics file older than the progress file, as a crash between their
    // writes leaves them) is brought up to that progress.
    void LoadProgress();
    // Writes both files (each through a temporary file, the progress first)
    // when anything changed; false when the user name is refused or a file
    // cannot be written, the old files then untouched. Values of statistics
    // the definitions do not name are written back as they were read.
    [[nodiscard]] bool SaveProgress();
    void ResetProgress();

    void SetStatistic(int32_t index, int32_t value);
    void SetProgress(int32_t id, int32_t value);
    void IncrementProgress(int32_t id);
    void Sort();

    int32_t GetAchievementCount() const { return static_cast<int32_t>(achievements_.size()); }
    TAchieveRec* GetAchievement(int32_t index);
    TAchieveRec GetAchievementRec(int32_t index) const;
    TAchieveRec* FindAchievementById(int32_t id);
    // The index of the achievement of that title (exact), -1 when absent:
    // the Steam manager's lookup.
    int32_t IndexOfAchievement(const std::string& title) const;
    int32_t GetStatisticCount() const { return static_cast<int32_t>(statistics_.size()); }
    const TStatisticRec& GetStatistic(int32_t index) const { return statistics_[size_t(index)]; }
    // Upper-case comparison; an absent name is reported and gives zeros.
    TStatisticRec FindStatistic(const std::string& name) const;
    TTrigger* FindTrigger(const std::string& name);

    bool Disabled() const { return disabled_; }
    bool Changed() const { return changed_; }
    void SetUnlockCallback(TUnlockCallback callback) { onUnlock_ = std::move(callback); }
    void SetStatisticCallback(TStatisticCallback callback) { onStatistic_ = std::move(callback); }
    void SetPopupHook(TPopupHook hook) { popup_ = std::move(hook); }
    // The local date-time in days (unlock times, the hour); tests fix it.
    void SetClock(std::function<double()> now) { now_ = std::move(now); }

    // "%1.userdata" and "%1.statistics" in the per-user folder; empty when
    // the user name cannot name a file there.
    std::string UserDataPath() const;
    std::string StatisticsPath() const;

private:
    double Now() const;
    void LoadUserData(const std::string& path);
    void LoadStatistics(const std::string& path);
    void CatchUpStatistics();
    // -1 when no statistic has that name (upper-case comparison).
    int32_t StatisticIndex(const std::string& name) const;
    TStatisticRec* StatisticNamed(const std::string& name);
    void WarnOfMissingStatistics(int32_t ignoredLines);

    std::vector<TAchieveRec> achievements_;
    std::vector<std::unique_ptr<TTrigger>> triggers_;
    std::vector<TStatisticRec> statistics_;
    // "name=value" lines of the user's statistics file that no definition names.
    std::vector<std::string> unknownStatistics_;
    bool disabled_ = false;
    bool changed_ = false;
    TUnlockCallback onUnlock_;
    TStatisticCallback onStatistic_;
    TPopupHook popup_;
    std::function<double()> now_;
};

extern TAchievements* Achievements;
void RegisterAchievementsManager();

// The name the user's files are named after: "Game.Username", or "Player"
// when that is empty. Empty when it would not name a plain file of the
// per-user folder (a separator, "." or "..", a control character).
std::string AchievementUserName();
bool IsPlainFileName(const std::string& name);

// Date-times as days since 1899-12-30 and their "YYYY-MM-DD hh:nn:ss" form;
// a text that is not one reads as 0.
std::string DateTimeToText(double days);
double TextToDateTime(const std::string& text);
double LocalNowDays();

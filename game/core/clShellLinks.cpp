#include "clShellLinks.h"

#include "coreGameDiagnostics.h"

namespace {
TScreenLink gDefaultScreen;
TMultiplayerLink gDefaultMultiplayer;
TAchievementLink gDefaultAchievements;
TTutorialLink gDefaultTutorials;

TScreenLink* gScreen = &gDefaultScreen;
TMultiplayerLink* gMultiplayer = &gDefaultMultiplayer;
TAchievementLink* gAchievements = &gDefaultAchievements;
TTutorialLink* gTutorials = &gDefaultTutorials;
}  // namespace

void TMultiplayerLink::LogRefusal(int32_t, const std::string& line) { AdminLog(line); }

TScreenLink& ScreenLink() { return *gScreen; }
void SetScreenLink(TScreenLink* link) { gScreen = link ? link : &gDefaultScreen; }
TMultiplayerLink& MultiplayerLink() { return *gMultiplayer; }
void SetMultiplayerLink(TMultiplayerLink* link) { gMultiplayer = link ? link : &gDefaultMultiplayer; }
TAchievementLink& AchievementLink() { return *gAchievements; }
void SetAchievementLink(TAchievementLink* link) { gAchievements = link ? link : &gDefaultAchievements; }
TTutorialLink& TutorialLink() { return *gTutorials; }
void SetTutorialLink(TTutorialLink* link) { gTutorials = link ? link : &gDefaultTutorials; }

#include "mgrAI.h"

#include "mgrSettings.h"

TAI* AI = nullptr;

void RegisterAIManager() { RegisterManagerClass<TAI, &AI>(MGR_AI, 0, "AI Subsystem"); }

TAIBidOutput TAI::ChooseBid(const TSession& session, TSeat seat) const
{
    return bidding_.ChooseBid(session, seat, SettingText("Game.PlayStyle"));
}

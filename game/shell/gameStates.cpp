#include "gameStates.h"

#include "stateAbout.h"
#include "stateAchievements.h"
#include "stateCheckVersion.h"
#include "stateConfirm.h"
#include "stateConnecting.h"
#include "stateLobby.h"
#include "stateBidComplete.h"
#include "stateBidding.h"
#include "stateDealing.h"
#include "stateGame.h"
#include "stateGameWin.h"
#include "stateHandWin.h"
#include "stateKitty.h"
#include "stateMenu.h"
#include "stateOptions.h"
#include "statePreferences.h"
#include "stateTesting.h"

TStateClassTable GameStateClasses()
{
    TStateClassTable t{};
    t.classes[STATE_ABOUT] = StateClass<TStateAbout>();
    t.classes[STATE_ACHIEVEMENTS] = StateClass<TStateAchievements>();
    t.classes[STATE_CHECKVERSION] = StateClass<TStateCheckVersion>();
    t.classes[STATE_CONFIRM] = StateClass<TStateConfirm>();
    t.classes[STATE_CONNECTING] = StateClass<TStateConnecting>();
    t.classes[STATE_LOBBY] = StateClass<TStateLobby>();
    t.classes[STATE_MENU] = StateClass<TStateMenu>();
    t.classes[STATE_MINIMISED] = StateClass<TStateMinimised>();
    t.classes[STATE_OPTIONS] = StateClass<TStateOptions>();
    t.classes[STATE_PREFERENCES] = StateClass<TStatePreferences2>();
    t.classes[STATE_TESTING] = StateClass<TStateTesting>();
    t.classes[STATE_BIDDING] = StateClass<TStateBidding>();
    t.classes[STATE_DEALING] = StateClass<TStateDealing>();
    t.classes[STATE_GAME] = StateClass<TStateGame>();
    t.classes[STATE_GAMEWIN] = StateClass<TStateGameWin>();
    t.classes[STATE_HANDWIN] = StateClass<TStateHandWin>();
    t.classes[STATE_KITTY] = StateClass<TStateKitty>();
    t.classes[STATE_BIDCOMPLETE] = StateClass<TStateBidComplete>();
    return t;
}

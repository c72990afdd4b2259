#include "gameStates.h"

#include "stateAbout.h"
#include "stateBidComplete.h"
#include "stateBidding.h"
#include "stateCheckVersion.h"
#include "stateConfirm.h"
#include "stateDealing.h"
#include "stateGame.h"
#include "stateGameWin.h"
#include "stateHandWin.h"
#include "stateKitty.h"
#include "stateMenu.h"
#include "stateOptions.h"

TStateClassTable GameStateClasses()
{
    TStateClassTable t{};
    t.classes[STATE_ABOUT] = StateClass<TStateAbout>();
    t.classes[STATE_CHECKVERSION] = StateClass<TStateCheckVersion>();
    t.classes[STATE_CONFIRM] = StateClass<TStateConfirm>();
    t.classes[STATE_MENU] = StateClass<TStateMenu>();
    t.classes[STATE_MINIMISED] = StateClass<TStateMinimised>();
    t.classes[STATE_OPTIONS] = StateClass<TStateOptions>();
    t.classes[STATE_BIDDING] = StateClass<TStateBidding>();
    t.classes[STATE_DEALING] = StateClass<TStateDealing>();
    t.classes[STATE_GAME] = StateClass<TStateGame>();
    t.classes[STATE_GAMEWIN] = StateClass<TStateGameWin>();
    t.classes[STATE_HANDWIN] = StateClass<TStateHandWin>();
    t.classes[STATE_KITTY] = StateClass<TStateKitty>();
    t.classes[STATE_BIDCOMPLETE] = StateClass<TStateBidComplete>();
    return t;
}

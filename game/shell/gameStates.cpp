#include "gameStates.h"

#include "stateAbout.h"
#include "stateAchievements.h"
#include "stateCheckVersion.h"
#include "stateConfirm.h"
#include "stateConnecting.h"
#include "stateLobby.h"
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
    return t;
}

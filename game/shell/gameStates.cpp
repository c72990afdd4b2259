#include "gameStates.h"

#include "stateConfirm.h"
#include "stateMenu.h"

TStateClassTable GameStateClasses()
{
    TStateClassTable t{};
    t.classes[STATE_CONFIRM] = StateClass<TStateConfirm>();
    t.classes[STATE_MENU] = StateClass<TStateMenu>();
    t.classes[STATE_MINIMISED] = StateClass<TStateMinimised>();
    return t;
}

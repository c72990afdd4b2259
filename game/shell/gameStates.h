// The screens of the game program by their ids.
#pragma once

#include "mgrGameflow.h"

// The screen classes this build has; ids without a class stay unregistered.
TStateClassTable GameStateClasses();

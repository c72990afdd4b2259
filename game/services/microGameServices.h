// The services of the game program, offered through the service manager's
// default-services hook.
#pragma once

#include "microTutorial.h"

// "BENCHMARK", "RECORDER" and "TUTORIAL"; tutorial notices go to the sink.
void RegisterGameServices(TServiceNotice notice);

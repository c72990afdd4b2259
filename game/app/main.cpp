// The game program.
#include "coreEngine.h"

int main() { return RunGame(); }

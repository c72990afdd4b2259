// Start of the game program. Until the screens exist it only reports that.
#include "qz7core.h"
#include <cstdio>

int main()
{
    FrameworkStart("Vantorel Qar");
    std::puts("Vantorel Qar: the game itself is not built yet; the framework started and stopped.");
    FrameworkStop();
    return 0;
}

// The X connection under SDL's video. Xlib ends the process with exit()
// when the connection breaks, and the program's destructors would then run
// over a window system torn down halfway; the program leaves by its own way.
#include "osWindowBackEnd.h"

#include <X11/Xlib.h>

namespace plat::os::detail {
namespace {
XIOErrorHandler previous = nullptr;
bool watching = false;

int OnConnectionLost(Display*) { DisplayLost(); }
}  // namespace

void WatchX11Connection(bool on)
{
    if (on == watching) return;
    watching = on;
    if (on) previous = XSetIOErrorHandler(&OnConnectionLost);
    else XSetIOErrorHandler(previous);
}
}  // namespace plat::os::detail

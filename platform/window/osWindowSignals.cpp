// What ends the program from outside the window system's messages: a
// termination signal while headless, and the loss of the display.
#include "osWindow.h"

#include "osWindowBackEnd.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace plat::os {
using namespace detail;

namespace {
volatile std::sig_atomic_t terminationCaught = 0;
struct sigaction previousTerm{}, previousInt{};
std::function<void()> displayLostHandler;

extern "C" void OnTerminationSignal(int) { terminationCaught = 1; }
}  // namespace

namespace detail {
void CatchTerminationSignals(bool on)
{
    if (on) {
        terminationCaught = 0;
        struct sigaction action{};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no restart: a sleep ends when the signal comes
        ::sigaction(SIGTERM, &action, &previousTerm);
        ::sigaction(SIGINT, &action, &previousInt);
        return;
    }
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGINT, &previousInt, nullptr);
    terminationCaught = 0;
}

bool TakeTerminationRequest()
{
    if (!terminationCaught) return false;
    terminationCaught = 0;
    return true;
}

void DisplayLost()
{
    static std::atomic<bool> once{false};
    if (!once.exchange(true)) {
        std::fputs("The connection to the display was lost.\n", stderr);
        std::fflush(stderr);
        if (displayLostHandler) {
            try {
                displayLostHandler();
            } catch (...) {
                // Ending is what is left to do.
            }
        }
    }
    std::fflush(nullptr);
    ::_exit(kDisplayLostExitCode);
}
}  // namespace detail

void SetDisplayLostHandler(std::function<void()> handler) { displayLostHandler = std::move(handler); }

}  // namespace plat::os

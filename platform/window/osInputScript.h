// A test seam for runs under a virtual display, where SDL takes no drops and
// no reliable typing from outside tools: VANTOREL_INPUT_SCRIPT names a file
// of input steps that the window layer plays into the first shown window
// through InjectInput, as if the user gave them. One step a line; blank lines
// and lines starting with '#' are skipped:
//   wait <ms>             nothing until that long after the previous step
//   move <x> <y>          the pointer to a client point
//   click <x> <y>         left button down and up there
//   drop <x> <y> <file>   a drag of the file entering, over and dropped there
//   key <vk>              a virtual key (decimal or 0x..) pressed and released
//   type <text>           the text's letters, digits, blanks and . , - as keys
//   close                 a close request
// Steps run at most one per poll and kStepGapMs apart, so that the program
// takes each one in a frame of its own.
#pragma once

#include "osWindow.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat::os {

inline constexpr const char* kInputScriptVariable = "VANTOREL_INPUT_SCRIPT";
inline constexpr uint32_t kStepGapMs = 40;

struct InputStep {
    enum class Kind { Wait, Move, Click, Drop, Key, Close } kind = Kind::Wait;
    int32_t x = 0, y = 0;
    uint32_t value = 0;    // wait: ms; key: virtual key
    uint32_t modifiers = 0;
    std::string file;
};

// The steps of a script text; false with the 1-based line of the first
// step it cannot read.
[[nodiscard]] bool ParseInputScript(const std::string& text, std::vector<InputStep>& steps, int32_t& badLine);

// The events one step injects into a window.
std::vector<InputEvent> InputStepEvents(const InputStep& step, WindowHandle window);

// Plays the script named by the environment variable (read once) into the
// first shown window: the next due step when `nowMs` has reached it.
void PlayInputScript(uint64_t nowMs);

}  // namespace plat::os

// A developer's record of the card table (VANTOREL_CAPTURE_SCREENS=<folder>):
// the frames presented at a few moments of a game are written as PNG files
// into subfolders named after the moment ("auction", "midtrick", "handwon",
// "gamewon", "playing", "achievement-<id>" for an unlock's pop-up), once each, so a whole game can be looked at afterwards without
// writing every frame.
#pragma once

#include <cstdint>
#include <string>

class TScreenCapture {
public:
    // Reads the switch; inactive without it.
    TScreenCapture();
    bool Active() const { return !folder_.empty(); }
    // Once a frame, after the screens' update and before the redraw request.
    void FrameDone();
    // What the table shows now, as a moment's name; "" for none.
    static std::string Moment();

private:
    std::string folder_;
    std::string taken_;     // the moments already recorded, as "|name|"
    int32_t framesLeft_ = 0;  // frames still written into the open moment
};

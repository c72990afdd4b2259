// The points of a hand floating to the team's score on the scoreboard: they
// wait a second in the middle of the table, drift to the team's cell and
// fade out there.
#pragma once

#include "arcqz7gui.h"
#include "coreGame.h"

class TUIScoreboard2;

constexpr float SCOREFLOAT_WAIT = 1.0f;
constexpr float SCOREFLOAT_TRAVEL = 1.6f;
constexpr float SCOREFLOAT_FADE = 0.5f;
constexpr TQZColour SCOREFLOAT_GAIN = 0x40FF70;
constexpr TQZColour SCOREFLOAT_LOSS = 0xFF6040;

class TUIScorefloat : public TGUIWindow {
public:
    // The scoreboard must outlive the float (both are the board's).
    TUIScorefloat(TGUIWindow* parent, TTeam team, int32_t points, TUIScoreboard2* scoreboard);

    void Update() override;
    void Draw(const TQZRect& rect) override;
    void Advance(float seconds);

    // "+20" or "-20".
    std::string Text() const;
    TQZColour Colour() const;
    bool Done() const { return done_; }
    int32_t Phase() const { return phase_; }
    uint8_t Alpha() const { return alpha_; }

private:
    // Centre of the team's score cell, in the parent's coordinates.
    TQZPoint Target() const;

    bool done_ = false;
    int32_t phase_ = 0;
    uint8_t alpha_ = 255;
    int32_t points_;
    TUIScoreboard2* scoreboard_;
    TTeam team_;
    float time_ = 0;
    TQZPoint start_;
};

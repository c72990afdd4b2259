// Short-lived animations over the table. Each is a click-through window
// that covers its host; the host frees every animation that says it is
// finished, after running its completion and firing its timer.
#pragma once

#include "arcqz7gui.h"

#include <cstdint>
#include <memory>

class TQZTimer;
class TUIAnim;

using TUIAnimDone = TQZMethod<void(TUIAnim* anim, void* argument)>;

class TUIAnimHost : public TGUIWindow {
public:
    explicit TUIAnimHost(TGUIWindow* parent);

    bool Arrange() override;
    void Update() override;
    // Running animations that hold up the game.
    int32_t CountBlocking() const;
    bool IsBusy() const { return CountBlocking() > 0; }
};

class TUIAnim : public TGUIWindow {
public:
    explicit TUIAnim(TGUIWindow* host);
    ~TUIAnim() override;

    bool Arrange() override;
    void Update() override;
    // One frame's work after the given milliseconds; Update runs it with the
    // frame time.
    virtual void Advance(uint32_t milliseconds) { (void)milliseconds; }

    // Seconds since the animation was made.
    float ElapsedSeconds() const;

    TUIAnimDone onDone;
    void* argument = nullptr;
    bool finished = false;
    bool blocking = true;
    // A timer of the timer manager fired when the animation ends; 0 for none.
    uint32_t timerId = 0;

private:
    std::unique_ptr<TQZTimer> stopwatch_;
};

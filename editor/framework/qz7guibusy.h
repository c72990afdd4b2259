// The busy symbol of the scene toolkit: turning spokes or running dots,
// kept moving by a window timer while it shows.
#pragma once

#include "qz7gui.h"

enum TBusyAnim : int32_t { Circular = 0, Dots = 1 };

const std::vector<std::string>& BusyAnimNames();

class TQZGUIBusySymbol : public TQZGUIWindow {
public:
    ~TQZGUIBusySymbol() override;
    const char* ClassName() const override { return "TQZGUIBusySymbol"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void Update() override;
    void Paint(const TQZRect& rect) override;
    void SetVisible(bool flag) override;

    TBusyAnim Anim() const { return anim_; }
    void SetAnim(TBusyAnim a);
    uint32_t TimerId() const { return timer_; }

private:
    void StartTimer();
    void StopTimer();
    void PaintCircular(const TQZRect& r, float t);
    void PaintDots(const TQZRect& r, float t);

    TBusyAnim anim_ = Circular;
    float lastStep_ = 0;
    uint32_t timer_ = 0;
    TQZVideo* timerVideo_ = nullptr;
    TQZVideoWindowBase* timerWindow_ = nullptr;
};

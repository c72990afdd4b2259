#include "UIAnim.h"

#include "UITheme.h"
#include "mgrTimers.h"
#include "qz7timer.h"

TUIAnimHost::TUIAnimHost(TGUIWindow* parent)
    : TGUIWindow(parent ? TQZRect{0, 0, parent->GetWidth(), parent->GetHeight()} : TQZRect{}, parent, 0)
{
    clickThrough = true;
}

bool TUIAnimHost::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect({0, 0, parent->GetWidth(), parent->GetHeight()});
    return false;
}

int32_t TUIAnimHost::CountBlocking() const
{
    int32_t n = 0;
    for (int32_t i = 1; i <= ChildCount(); ++i)
        if (auto* anim = dynamic_cast<const TUIAnim*>(GetChild(i)); anim && anim->blocking) ++n;
    return n;
}

void TUIAnimHost::Update()
{
    TGUIWindow::Update();
    for (int32_t i = ChildCount(); i >= 1; --i) {
        if (i > ChildCount()) continue;  // a completion freed a sibling
        auto* anim = dynamic_cast<TUIAnim*>(GetChild(i));
        if (!anim || !anim->finished) continue;
        if (anim->onDone) anim->onDone(anim, anim->argument);
        // The timer may be gone already (cancelled, or the timers flushed).
        if (anim->timerId != 0 && Timers) Timers->FireNow(anim->timerId);
        TGUIWindow::Free(anim);
    }
}

TUIAnim::TUIAnim(TGUIWindow* host) : TGUIWindow(host ? host->GetRect() : TQZRect{}, host, 0)
{
    clickThrough = true;
    stopwatch_ = CreateTimer(true);
    stopwatch_->Start();
}

TUIAnim::~TUIAnim() = default;

bool TUIAnim::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect({0, 0, parent->GetWidth(), parent->GetHeight()});
    return true;
}

void TUIAnim::Update()
{
    TGUIWindow::Update();
    Advance(UIFrameTime());
    if (!finished) UIRequestFrames();
}

float TUIAnim::ElapsedSeconds() const
{
    return float(stopwatch_->Elapsed());
}

#include "mgrStates.h"

#include "coreGameDiagnostics.h"
#include "mgrVideo.h"
#include "qz7video.h"
#include "qz7videochoice.h"

#include <algorithm>

TStateEngine* StateEngine = nullptr;

void RegisterStatesManager()
{
    RegisterManagerClass<TStateEngine, &StateEngine>(MGR_STATES, DomainBit(MGR_VIDEO), "State Controller");
}

// ---------------------------------------------------------------- state window

TStateGUI::TStateGUI(TState* owner, TGUIWindow* layout)
    : TGUIWindow(layout ? layout->GetRect() : TQZRect{}, layout, 0), owner_(owner)
{
}

void TStateGUI::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TGUIWindow::HandleCommand(sender, id);
    // Only the screen on top answers: a screen kept under it (its focused
    // button taking Enter, a hot key) must not act behind the player's back.
    if (owner_ && (!StateEngine || !StateEngine->Current() || StateEngine->Current() == owner_)) owner_->HandleEvent(id);
}

bool TStateGUI::Arrange()
{
    SetBounds(GetRoot()->GetRect());
    return false;
}

// The tree may be freed before the states (the engine frees the widgets
// first): the state must not free its window a second time.
void TStateGUI::Destroying()
{
    if (owner_ && owner_->window_ == this) {
        owner_->window_ = nullptr;
        owner_->windowCreated_ = false;
    }
    owner_ = nullptr;
}

// ---------------------------------------------------------------- state

TState::~TState()
{
    if (window_) FreeGUI();
}

void TState::CreateGUI()
{
    windowCreated_ = true;
    TGUIWindow* layout = StateEngine ? StateEngine->LayoutWindow() : nullptr;
    window_ = layout ? NewWindow<TStateGUI>(this, layout) : nullptr;
}

void TState::FreeGUI()
{
    windowCreated_ = false;
    TStateGUI* w = window_;
    window_ = nullptr;
    TGUIWindow::Free(w);
}

void TState::Enter(TState*, int32_t)
{
    if (!window_) CreateGUI();
    TGUIWindow* layout = StateEngine ? StateEngine->LayoutWindow() : nullptr;
    if (window_) {
        if (layout && layout->ChildCount() > 1) window_->BringToFront();
        window_->SetVisible(true);
    }
    time_ = 0;
}

void TState::Leave(TState*)
{
    if (window_) window_->SetVisible(false);
}

void TState::Update()
{
    if (!StateEngine) return;
    time_ += StateEngine->FrameTime();
    if (TGUIWindow* root = StateEngine->RootWindow()) root->UpdateTree();
}

// ---------------------------------------------------------------- engine

TStateEngine::~TStateEngine()
{
    Clear();
    FreeRetired();
}

void TStateEngine::Initialize()
{
    stack_.clear();
    freeList_.clear();
    classes_.fill(TStateClass{});
    minimiseHandling = true;
}

uint32_t TStateEngine::FrameTime() const
{
    if (frameTime) return frameTime();
    return Video ? uint32_t(Video->FrameTime()) : 0;
}

bool TStateEngine::WindowMinimised() const
{
    if (windowMinimised) return windowMinimised();
    return Video && Video->Window() && Video->Window()->ShowState() == QZSHOW_MINIMISED;
}

bool TStateEngine::WindowQuitting() const
{
    if (windowQuitting) return windowQuitting();
    return Video && Video->Window() && Video->Window()->Closed();
}

void TStateEngine::SetWindows(TGUIWindow* root, TGUIWindow* layout)
{
    root_ = root;
    layout_ = layout;
}

bool TStateEngine::RegisterState(int32_t id, TStateClass stateClass)
{
    if (id < 1 || id > STATE_CLASS_SLOTS) return false;
    classes_[size_t(id - 1)] = stateClass;
    return true;
}

bool TStateEngine::IsRegistered(int32_t id) const
{
    return id >= 1 && id <= STATE_CLASS_SLOTS && bool(classes_[size_t(id - 1)]);
}

TState* TStateEngine::Current() const
{
    return stack_.empty() ? nullptr : stack_.back().get();
}

int32_t TStateEngine::IdOf(const TState* state) const
{
    if (!state) return 0;
    for (int32_t id = 1; id <= STATE_CLASS_SLOTS; ++id) {
        const TStateClass& c = classes_[size_t(id - 1)];
        if (c && c.isInstance(state)) return id;
    }
    return -1;
}

void TStateEngine::Retire(TState* state)
{
    auto it = std::find_if(stack_.begin(), stack_.end(), [&](const auto& s) { return s.get() == state; });
    if (it == stack_.end()) return;
    freeList_.push_back(std::move(*it));
    stack_.erase(it);
}

void TStateEngine::PushState(std::unique_ptr<TState> state, bool keep, int32_t param)
{
    if (!state) return;
    TState* previous = Current();
    TState* pushed = state.get();
    if (previous) previous->Leave(pushed);
    stack_.push_back(std::move(state));
    pushed->Enter(previous, param);
    if (previous && !keep) Retire(previous);
}

// Screens that are not built yet stay unregistered: a push of their id is
// refused instead of making nothing.
bool TStateEngine::PushById(int32_t id, bool keep, int32_t param)
{
    if (!IsRegistered(id)) {
        AdminLog("TStateEngine.PushById: no state class registered for id " + std::to_string(id) +
                 "; push refused");
        return false;
    }
    PushState(classes_[size_t(id - 1)].create(), keep, param);
    return true;
}

void TStateEngine::PopState(int32_t param)
{
    TState* top = Current();
    if (!top) return;
    TState* below = stack_.size() > 1 ? stack_[stack_.size() - 2].get() : nullptr;
    top->Leave(below);
    Retire(top);
    if (TState* now = Current()) now->Enter(top, param);
}

bool TStateEngine::Holds(const TState* state) const
{
    if (!state) return false;
    for (const auto& s : stack_)
        if (s.get() == state) return true;
    return false;
}

void TStateEngine::PopUntil(int32_t id)
{
    while (CurrentId() != id && !stack_.empty()) PopState(0);
}

void TStateEngine::Clear()
{
    if (TState* top = Current()) top->Leave(nullptr);
    while (!stack_.empty()) Retire(stack_.back().get());
}

void TStateEngine::FreeRetired()
{
    while (!freeList_.empty()) {
        std::unique_ptr<TState> gone = std::move(freeList_.back());
        freeList_.pop_back();
    }
}

void TStateEngine::Update()
{
    if (root_) root_->DispatchInput();
    if (TState* current = Current()) current->Update();
    // An unregistered minimised screen is simply not shown, not refused every frame.
    if (minimiseHandling && WindowMinimised() && Current() && CurrentId() != STATE_MINIMISED &&
        IsRegistered(STATE_MINIMISED)) {
        (void)PushById(STATE_MINIMISED, true);  // registered: asked just above
    }
    if (WindowQuitting()) Clear();
    FreeRetired();
}

void TStateEngine::Render()
{
    TQZVideo* video = GetVideo();
    if (!video || !root_ || video->BeginFrame() != QZRES_OK) return;
    root_->DrawTree();
    // A frame that cannot end or be shown is reported inside; the next frame follows.
    (void)video->EndFrame();
    if (!WindowQuitting()) (void)video->Present();
}

// The screen machinery of the game: a state is one screen or phase with the
// window that shows it; the state engine keeps the states on a stack, drives
// the top one every frame and frees retired states at the end of the frame.
#pragma once

#include "arcqz7gui.h"
#include "coreManager.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TState;
class TStateEngine;

// The window of a state: a child of the layout window that hands every
// command of its widgets to the state.
class TStateGUI : public TGUIWindow {
public:
    TStateGUI(TState* owner, TGUIWindow* layout);
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    bool Arrange() override;
    void Destroying() override;
    TState* Owner() const { return owner_; }

private:
    TState* owner_;
};

class TState {
public:
    TState() = default;
    virtual ~TState();
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    virtual void CreateGUI();
    virtual void FreeGUI();
    virtual void Enter(TState* previous, int32_t param);
    virtual void Leave(TState* next);
    virtual void HandleEvent(int32_t commandId) { (void)commandId; }
    virtual void Update();

    bool WindowCreated() const { return windowCreated_; }
    TStateGUI* Window() const { return window_; }
    uint32_t TimeInState() const { return time_; }

protected:
    // A screen with a window of its own class installs it here (from its
    // CreateGUI); the state owns it as it owns the plain one.
    void SetWindow(TStateGUI* window)
    {
        window_ = window;
        windowCreated_ = window != nullptr;
    }
    // The same for a window of class W made under the layout window (none
    // without one), with the arguments after the state and the layout.
    template <class W, class... A> void MakeWindow(A&&... args);

private:
    friend class TStateGUI;

    bool windowCreated_ = false;
    uint32_t time_ = 0;
    TStateGUI* window_ = nullptr;  // owned; the widget tree may free it first
};

// A class reference: makes an instance and tells instances of the class
// (subclasses included) from others.
struct TStateClass {
    std::unique_ptr<TState> (*create)() = nullptr;
    bool (*isInstance)(const TState* state) = nullptr;
    explicit operator bool() const { return create != nullptr; }
};

template <class T> TStateClass StateClass()
{
    return {[]() -> std::unique_ptr<TState> { return std::make_unique<T>(); },
            [](const TState* s) { return dynamic_cast<const T*>(s) != nullptr; }};
}

constexpr int32_t STATE_CLASS_SLOTS = 32;
constexpr int32_t STATE_MINIMISED = 12;
constexpr int32_t STATE_MENU = 11;

class TStateEngine : public TManagerClass {
public:
    ~TStateEngine() override;
    void Initialize() override;

    // False for an id outside 1..32.
    [[nodiscard]] bool RegisterState(int32_t id, TStateClass stateClass);
    bool IsRegistered(int32_t id) const;
    void PushState(std::unique_ptr<TState> state, bool keep, int32_t param = 0);
    // Refused, with an admin log line, when no class is registered for the id.
    [[nodiscard]] bool PushById(int32_t id, bool keep, int32_t param = 0);
    void PopState(int32_t param = 0);
    void PopUntil(int32_t id);
    TState* Current() const;
    int32_t Depth() const { return int32_t(stack_.size()); }
    // 0 for nothing, -1 for a state of no registered class.
    int32_t IdOf(const TState* state) const;
    int32_t CurrentId() const { return IdOf(Current()); }
    // The state is on the stack (current or covered), not retired.
    bool Holds(const TState* state) const;
    void Clear();
    void Update();
    void Render();

    void SetWindows(TGUIWindow* root, TGUIWindow* layout);
    TGUIWindow* RootWindow() const { return root_; }
    TGUIWindow* LayoutWindow() const { return layout_; }
    int32_t RetiredCount() const { return int32_t(freeList_.size()); }
    uint32_t FrameTime() const;
    bool WindowMinimised() const;
    bool WindowQuitting() const;

    bool minimiseHandling = true;
    // What the engine needs of the program: the frame time in milliseconds
    // and the window's minimised and quit flags. Unset hooks ask the video
    // manager and its window (0 and false without them).
    std::function<uint32_t()> frameTime;
    std::function<bool()> windowMinimised;
    std::function<bool()> windowQuitting;

private:
    void Retire(TState* state);
    void FreeRetired();

    std::vector<std::unique_ptr<TState>> stack_;  // back() is the top
    std::vector<std::unique_ptr<TState>> freeList_;
    std::array<TStateClass, STATE_CLASS_SLOTS> classes_{};
    TGUIWindow* root_ = nullptr;
    TGUIWindow* layout_ = nullptr;
};

extern TStateEngine* StateEngine;
void RegisterStatesManager();

template <class W, class... A> void TState::MakeWindow(A&&... args)
{
    TGUIWindow* layout = StateEngine ? StateEngine->LayoutWindow() : nullptr;
    SetWindow(layout ? NewWindow<W>(this, layout, std::forward<A>(args)...) : nullptr);
}

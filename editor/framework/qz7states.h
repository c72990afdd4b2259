// The editor's state engine: a stack of screen states, the current one on
// top, driven once a frame by the application. A state that leaves the
// stack is kept on a removed list and freed at the end of the next Update,
// so a state may end itself from its own update or command handler.
#pragma once

#include "qz7modules.h"

#include <functional>
#include <memory>
#include <vector>

// One screen of the editor, as the engine calls it.
class TQZEngineState : public TQZClass {
public:
    // The hook the engine forwards values to; 0 when it has nothing to say.
    virtual int32_t CreateHook(int32_t value)
    {
        (void)value;
        return 0;
    }
    // The state becomes current; previous is the one it covers or replaced.
    virtual void Enter(TQZEngineState* previous, int32_t param)
    {
        (void)previous;
        (void)param;
    }
    // The state stops being current; next is what follows (nullptr: nothing).
    virtual void Leave(TQZEngineState* next) { (void)next; }
    // A command of the state's widgets.
    virtual int32_t HandleEvent(int32_t command)
    {
        (void)command;
        return 0;
    }
    virtual void Update() {}
};

class TQZStateEngine : public TQZModule {
public:
    ~TQZStateEngine() override;

    void Initialise() override;

    // The state on top, nullptr when the stack is empty.
    TQZEngineState* CurrentState() const;
    int32_t Depth() const { return int32_t(active_.size()); }
    int32_t RemovedCount() const { return int32_t(removed_.size()); }

    // The current state's hook or command handler; 0 with no state.
    virtual int32_t ForwardToState(int32_t value);
    virtual int32_t ForwardCommand(int32_t value);

    // Puts the state on top: the current one is left (and removed unless
    // kept), the new one entered with the param.
    void PushState(std::unique_ptr<TQZEngineState> state, bool keep, int32_t param);
    // The top state is left and removed; the one below, if any, re-entered.
    void PopState(int32_t param);
    // The current state is left; every state moves to the removed list.
    void PopAll();

    // Once a frame: the current state's Update, then PopAll when the
    // application asks for it, then the removed states are freed.
    void Update();
    // Where the application's pop-all request is read (none: never).
    void SetPopAllRequest(std::function<bool()> request) { popAllRequest_ = std::move(request); }

private:
    void FreeRemoved();

    // Index 0 is the current state.
    std::vector<std::unique_ptr<TQZEngineState>> active_;
    std::vector<std::unique_ptr<TQZEngineState>> removed_;
    std::function<bool()> popAllRequest_;
};

#include "qz7states.h"

TQZStateEngine::~TQZStateEngine()
{
    PopAll();
    while (!removed_.empty()) removed_.pop_back();
}

void TQZStateEngine::Initialise()
{
    if (initialised_) return;
    TQZModule::Initialise();
    active_.clear();
    removed_.clear();
}

TQZEngineState* TQZStateEngine::CurrentState() const
{
    return active_.empty() ? nullptr : active_.front().get();
}

int32_t TQZStateEngine::ForwardToState(int32_t value)
{
    TQZEngineState* state = CurrentState();
    return state ? state->CreateHook(value) : 0;
}

int32_t TQZStateEngine::ForwardCommand(int32_t value)
{
    TQZEngineState* state = CurrentState();
    return state ? state->HandleEvent(value) : 0;
}

void TQZStateEngine::PushState(std::unique_ptr<TQZEngineState> state, bool keep, int32_t param)
{
    if (!state) return;
    TQZEngineState* previous = CurrentState();
    if (previous) previous->Leave(state.get());
    active_.insert(active_.begin(), std::move(state));
    active_.front()->Enter(previous, param);
    if (previous && !keep) {
        removed_.push_back(std::move(active_[1]));
        active_.erase(active_.begin() + 1);
    }
}

void TQZStateEngine::PopState(int32_t param)
{
    if (active_.empty()) return;
    TQZEngineState* below = active_.size() > 1 ? active_[1].get() : nullptr;
    active_.front()->Leave(below);
    removed_.push_back(std::move(active_.front()));
    active_.erase(active_.begin());
    if (below) below->Enter(removed_.back().get(), param);
}

void TQZStateEngine::PopAll()
{
    if (TQZEngineState* state = CurrentState()) state->Leave(nullptr);
    while (!active_.empty()) {
        removed_.push_back(std::move(active_.back()));
        active_.pop_back();
    }
}

void TQZStateEngine::Update()
{
    if (TQZEngineState* state = CurrentState()) state->Update();
    if (popAllRequest_ && popAllRequest_()) PopAll();
    FreeRemoved();
}

void TQZStateEngine::FreeRemoved()
{
    // Taken out first, freed after: a state's destructor may look at the engine.
    while (!removed_.empty()) {
        std::unique_ptr<TQZEngineState> state = std::move(removed_.front());
        removed_.erase(removed_.begin());
        state.reset();
    }
}

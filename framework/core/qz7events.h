// The process-wide event bus: numbered events with one-shot and persistent
// handlers, the objects freed at shut-down, and the application state.
#pragma once

#include "qz7object.h"

#include <cstdint>
#include <memory>

enum TQZApplicationState : int32_t {
    QZAPPSTATE_WORKING = 0,
    QZAPPSTATE_RENDERING = 1,
    QZAPPSTATE_WAIT_VSYNC = 2,
    QZAPPSTATE_WAIT_WINDOWS = 3,
};

constexpr int32_t QZEVENT_FRAME = 1;
constexpr int32_t QZEVENT_SHUTDOWN = 3;
constexpr int32_t QZEVENT_DEVICELOST = 5;
constexpr int32_t QZEVENT_DEVICERESET = 6;
constexpr int32_t QZEVENT_MOUSEMOVED = 7;
constexpr int32_t QZEVENT_CURSOR = 8;
constexpr int32_t QZEVENT_F12 = 9;
constexpr int32_t QZEVENT_COUNT = 10;

// A handler returning this is removed after its call.
constexpr int32_t QZEVENT_REMOVE_ME = 0x1001;

constexpr int32_t QZHANDLER_ONESHOT = 0;
constexpr int32_t QZHANDLER_PERSISTENT = 1;

using TQZEventProc = int32_t (*)(void* param);
using TQZEventMethod = TQZMethod<int32_t(void*)>;
class TQZEventManager;
using TQZEventObjectCallback = void (*)(void* object, TQZEventManager* manager);

class TQZEventManager : public TQZClass {
public:
    TQZEventManager() = default;
    ~TQZEventManager() override;

    int32_t Fire(int32_t event, void* param);
    int32_t HandlerCount(int32_t event) const;

    void AddHandler(int32_t event, TQZEventProc proc, int32_t mode);
    void AddHandler(int32_t event, TQZEventMethod method, int32_t mode);
    void AddObjectCallback(int32_t event, TQZEventObjectCallback cb, void* object, int32_t mode);
    // 0 when a matching record was removed, 1 when none matched.
    int32_t RemoveHandler(int32_t event, TQZEventProc proc);
    int32_t RemoveHandler(int32_t event, TQZEventMethod method);
    void ClearEvent(int32_t event);

    // Objects freed when the shut-down event fires, newest first.
    void AddAutoFree(TQZClass* object);
    void RemoveAutoFree(TQZClass* object);
    void FlushAutoFree();
    size_t AutoFreeCount() const { return autoFree_.size(); }

    void SetState(TQZApplicationState state) { state_ = state; }
    TQZApplicationState State() const { return state_; }

private:
    struct Record;
    void Append(int32_t event, std::shared_ptr<Record> r);
    void Unlink(int32_t event, const Record* r);
    template <class Match> int32_t RemoveFirst(int32_t event, Match match);

    TQZApplicationState state_ = QZAPPSTATE_WORKING;
    bool flushing_ = false;
    uint64_t nextSerial_ = 1;
    std::vector<TQZClass*> autoFree_;  // newest at the back
    std::shared_ptr<Record> heads_[QZEVENT_COUNT];
};

// The bus, created on first use.
TQZEventManager* EventManager();
void FreeEventManager();

inline void AddHandler(int32_t event, TQZEventProc proc, int32_t mode)
{
    EventManager()->AddHandler(event, proc, mode);
}
inline void AddHandler(int32_t event, TQZEventMethod method, int32_t mode)
{
    EventManager()->AddHandler(event, method, mode);
}
inline int32_t RemoveHandler(int32_t event, TQZEventProc proc)
{
    return EventManager()->RemoveHandler(event, proc);
}
inline int32_t RemoveHandler(int32_t event, TQZEventMethod method)
{
    return EventManager()->RemoveHandler(event, method);
}
inline void AddAutoFree(TQZClass* object) { EventManager()->AddAutoFree(object); }
inline void RemoveAutoFree(TQZClass* object) { EventManager()->RemoveAutoFree(object); }

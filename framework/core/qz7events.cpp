#include "qz7events.h"

#include <algorithm>

enum HandlerKind : int32_t { KIND_PROC = 0, KIND_METHOD = 1, KIND_OBJECT = 2 };
enum HandlerMode : int32_t { MODE_ONESHOT = 0, MODE_PERSISTENT = 1, MODE_FIRING = 2 };

struct TQZEventManager::Record {
    int32_t kind = KIND_PROC;
    int32_t mode = MODE_ONESHOT;
    TQZEventProc proc = nullptr;
    TQZEventMethod method;
    TQZEventObjectCallback objectCallback = nullptr;
    void* object = nullptr;
    bool unlinked = false;
    uint64_t serial = 0;
    // Kept alive by the walk in Fire even after unlinking, so a handler may
    // remove any record, its own or the next, while the list is walked.
    std::shared_ptr<Record> next;
};

namespace {
std::unique_ptr<TQZEventManager>& Bus()
{
    static std::unique_ptr<TQZEventManager> bus;
    return bus;
}

bool ValidEvent(int32_t e)
{
    return e >= 1 && e < QZEVENT_COUNT;
}
}  // namespace

TQZEventManager* EventManager()
{
    auto& bus = Bus();
    if (!bus) bus = std::make_unique<TQZEventManager>();
    return bus.get();
}

void FreeEventManager()
{
    std::unique_ptr<TQZEventManager> gone = std::move(Bus());
    gone.reset();
}

TQZEventManager::~TQZEventManager()
{
    FreeOwned();
    for (int32_t e = 1; e < QZEVENT_COUNT; ++e) ClearEvent(e);
}

void TQZEventManager::Append(int32_t event, std::shared_ptr<Record> r)
{
    if (!ValidEvent(event)) return;
    r->serial = nextSerial_++;
    std::shared_ptr<Record>* slot = &heads_[event];
    while (*slot) slot = &(*slot)->next;
    *slot = std::move(r);
}

void TQZEventManager::Unlink(int32_t event, const Record* r)
{
    std::shared_ptr<Record>* slot = &heads_[event];
    while (*slot && slot->get() != r) slot = &(*slot)->next;
    if (!*slot) return;
    std::shared_ptr<Record> gone = *slot;
    gone->unlinked = true;
    *slot = gone->next;  // gone keeps its next so a walk standing on it goes on
}

void TQZEventManager::AddHandler(int32_t event, TQZEventProc proc, int32_t mode)
{
    auto r = std::make_shared<Record>();
    r->kind = KIND_PROC;
    r->mode = mode == QZHANDLER_PERSISTENT ? MODE_PERSISTENT : MODE_ONESHOT;
    r->proc = proc;
    Append(event, std::move(r));
}

void TQZEventManager::AddHandler(int32_t event, TQZEventMethod method, int32_t mode)
{
    auto r = std::make_shared<Record>();
    r->kind = KIND_METHOD;
    r->mode = mode == QZHANDLER_PERSISTENT ? MODE_PERSISTENT : MODE_ONESHOT;
    r->method = method;
    Append(event, std::move(r));
}

void TQZEventManager::AddObjectCallback(int32_t event, TQZEventObjectCallback cb, void* object, int32_t mode)
{
    auto r = std::make_shared<Record>();
    r->kind = KIND_OBJECT;
    r->mode = mode == QZHANDLER_PERSISTENT ? MODE_PERSISTENT : MODE_ONESHOT;
    r->objectCallback = cb;
    r->object = object;
    Append(event, std::move(r));
}

template <class Match> int32_t TQZEventManager::RemoveFirst(int32_t event, Match match)
{
    if (!ValidEvent(event)) return 1;
    for (Record* r = heads_[event].get(); r; r = r->next.get()) {
        if (match(*r)) {
            Unlink(event, r);
            return 0;
        }
    }
    return 1;
}

int32_t TQZEventManager::RemoveHandler(int32_t event, TQZEventProc proc)
{
    return RemoveFirst(event, [&](const Record& r) { return r.kind == KIND_PROC && r.proc == proc; });
}

int32_t TQZEventManager::RemoveHandler(int32_t event, TQZEventMethod method)
{
    return RemoveFirst(event, [&](const Record& r) { return r.kind == KIND_METHOD && r.method == method; });
}

void TQZEventManager::ClearEvent(int32_t event)
{
    if (!ValidEvent(event)) return;
    while (heads_[event]) Unlink(event, heads_[event].get());
}

int32_t TQZEventManager::HandlerCount(int32_t event) const
{
    if (!ValidEvent(event)) return 0;
    int32_t n = 0;
    for (const Record* r = heads_[event].get(); r; r = r->next.get()) ++n;
    return n;
}

int32_t TQZEventManager::Fire(int32_t event, void* param)
{
    if (!ValidEvent(event)) return 0;
    // Handlers added while this event fires wait for its next firing, so a
    // one-shot handler that re-arms itself runs once per firing.
    const uint64_t limit = nextSerial_;
    std::shared_ptr<Record> r = heads_[event];
    while (r) {
        std::shared_ptr<Record> next = r->next;
        if (r->unlinked || r->mode == MODE_FIRING || r->serial >= limit) {
            r = next;
            while (r && r->unlinked) r = r->next;
            continue;
        }
        bool oneShot = r->mode == MODE_ONESHOT;
        if (oneShot) r->mode = MODE_FIRING;
        int32_t result = 0;
        switch (r->kind) {
        case KIND_PROC: result = r->proc(param); break;
        case KIND_METHOD: result = r->method(param); break;
        default: r->objectCallback(r->object, this); break;
        }
        // The record fired is the one removed (not merely the first with the
        // same code), so a persistent twin of a one-shot handler survives.
        if ((result == QZEVENT_REMOVE_ME || oneShot) && !r->unlinked) Unlink(event, r.get());
        // Go on with the successor remembered before the call; if the handler
        // unlinked it, follow the links it kept to the first live record.
        r = next;
        while (r && r->unlinked) r = r->next;
    }
    if (event == QZEVENT_SHUTDOWN) {
        FlushAutoFree();
        ClearEvent(QZEVENT_SHUTDOWN);
    }
    return 0;
}

void TQZEventManager::AddAutoFree(TQZClass* object)
{
    if (object) autoFree_.push_back(object);
}

void TQZEventManager::RemoveAutoFree(TQZClass* object)
{
    if (flushing_) return;
    auto it = std::find(autoFree_.begin(), autoFree_.end(), object);
    if (it != autoFree_.end()) autoFree_.erase(it);
}

void TQZEventManager::FlushAutoFree()
{
    flushing_ = true;
    std::vector<TQZClass*> list;
    list.swap(autoFree_);
    for (size_t i = list.size(); i-- > 0;) {
        TQZClass* o = list[i];
        list[i] = nullptr;
        delete o;  // auto-free objects belong to the bus (framework ownership)
    }
    flushing_ = false;
}

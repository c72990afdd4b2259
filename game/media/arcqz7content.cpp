#include "arcqz7content.h"

TQZContentManager::TQZContentManager(int32_t capacity)
{
    Grow(capacity);
}

TQZContentManager::~TQZContentManager()
{
    Clear();
}

int32_t TQZContentManager::Add(std::unique_ptr<TQZClass> object, int32_t id)
{
    if (id == 0) {
        id = FirstFreeId();
        if (id == 0) {
            id = Capacity() + 1;
            Grow(Capacity() + 16);
        }
    }
    if (id < 1 || id > Capacity()) return ErrorResult(QZRES_CONTENT_BADID);
    auto& slot = slots_[size_t(id - 1)];
    if (slot) return ErrorResult(QZRES_CONTENT_INUSE);
    slot = std::move(object);
    return QZRES_OK;
}

int32_t TQZContentManager::FirstFreeId() const
{
    for (size_t i = 0; i < slots_.size(); ++i)
        if (!slots_[i]) return int32_t(i + 1);
    return 0;
}

TQZClass* TQZContentManager::Get(int32_t id) const
{
    return id >= 1 && id <= Capacity() ? slots_[size_t(id - 1)].get() : nullptr;
}

int32_t TQZContentManager::Remove(int32_t id)
{
    if (id < 1 || id > Capacity()) return ErrorResult(QZRES_CONTENT_BADID);
    // Out of the slot first: a destructor that looks the id up finds it empty.
    std::unique_ptr<TQZClass> gone = std::move(slots_[size_t(id - 1)]);
    return QZRES_OK;
}

void TQZContentManager::Clear()
{
    for (int32_t id = 1; id <= Capacity(); ++id) (void)Remove(id);  // every id is in the table
}

void TQZContentManager::Grow(int32_t capacity)
{
    if (capacity < 0) capacity = 0;
    for (int32_t id = capacity + 1; id <= Capacity(); ++id) (void)Remove(id);  // every id is in the table
    slots_.resize(size_t(capacity));
}

// An id-indexed table of owned objects: ids 1..capacity, each slot empty or
// owning one object. The resource manager keeps one per kind of resource.
#pragma once

#include "qz7core.h"

#include <memory>
#include <vector>

constexpr int32_t QZRES_CONTENT_BADID = 16385;
constexpr int32_t QZRES_CONTENT_INUSE = 16386;

class TQZContentManager : public TQZClass {
public:
    explicit TQZContentManager(int32_t capacity);
    ~TQZContentManager() override;

    // Id 0 takes the first empty slot, growing the table by 16 when full.
    // The object is freed when it cannot be stored.
    [[nodiscard]] int32_t Add(std::unique_ptr<TQZClass> object, int32_t id);
    int32_t FirstFreeId() const;
    // nullptr for an empty slot or an id outside the table.
    TQZClass* Get(int32_t id) const;
    template <class T> T* GetAs(int32_t id) const { return dynamic_cast<T*>(Get(id)); }
    bool Has(int32_t id) const { return Get(id) != nullptr; }
    // Frees the object; an empty slot is no error.
    [[nodiscard]] int32_t Remove(int32_t id);
    void Clear();
    // New capacity; entries below it are kept, those above freed.
    void Grow(int32_t capacity);
    int32_t Capacity() const { return int32_t(slots_.size()); }

private:
    std::vector<std::unique_ptr<TQZClass>> slots_;
};

// Growable list of untyped object references whose first index is 1, with a
// callback told of every insertion, move and deletion.
#pragma once

#include "qz7core.h"

#include <vector>

// item, fromIndex, toIndex: (item, 0, i) inserted at i; (nil, i, -1) deleted
// from i; (item, a, b) shifted from a to b.
using TQZArrayMoveCallback = std::function<void(void* item, int32_t from, int32_t to)>;

class TQZArray : public TQZClass {
public:
    // Capacity 0 means 16. Use Make() where a negative capacity must fail.
    explicit TQZArray(int32_t initialCapacity = 0);
    // nullptr (result 2) for a negative capacity.
    static std::unique_ptr<TQZArray> Make(int32_t initialCapacity, int32_t* result = nullptr);

    int32_t Low() const { return low_; }
    int32_t High() const { return count_ + low_ - 1; }
    int32_t Count() const { return count_; }
    int32_t Capacity() const { return static_cast<int32_t>(items_.size()); }
    void SetLow(int32_t low) { low_ = low; }

    void* Get(int32_t index) const;
    void Put(int32_t index, void* item);
    [[nodiscard]] int32_t Add(void* item);
    [[nodiscard]] int32_t Insert(void* item, int32_t index);
    int32_t Delete(int32_t index);
    int32_t Remove(void* item);
    int32_t Move(int32_t from, int32_t to);
    int32_t IndexOf(const void* item) const;
    void Clear();
    [[nodiscard]] int32_t Grow(int32_t index);

    void SetOnMove(TQZArrayMoveCallback cb) { onMove_ = std::move(cb); }

    template <class T> T* At(int32_t index) const { return static_cast<T*>(Get(index)); }

private:
    int32_t low_ = 1;
    std::vector<void*> items_;
    int32_t count_ = 0;
    int32_t step_ = 16;
    TQZArrayMoveCallback onMove_;
};

#include "qz7array.h"

#include <algorithm>
#include <climits>
#include <new>

TQZArray::TQZArray(int32_t initialCapacity)
{
    if (initialCapacity <= 0) initialCapacity = 16;
    step_ = initialCapacity;
    items_.assign(static_cast<size_t>(initialCapacity), nullptr);
}

std::unique_ptr<TQZArray> TQZArray::Make(int32_t initialCapacity, int32_t* result)
{
    if (initialCapacity < 0) {
        if (result) *result = ErrorResult(QZRES_BADARG);
        return nullptr;
    }
    if (result) *result = QZRES_OK;
    return std::make_unique<TQZArray>(initialCapacity);
}

void* TQZArray::Get(int32_t index) const
{
    if (index < low_ || index > High()) return nullptr;
    return items_[static_cast<size_t>(index - low_)];
}

void TQZArray::Put(int32_t index, void* item)
{
    if (index < low_ || index - low_ >= Capacity()) return;
    items_[static_cast<size_t>(index - low_)] = item;
}

int32_t TQZArray::Grow(int32_t index)
{
    int64_t needed = int64_t(index) - low_ + 1;
    if (needed <= Capacity()) return QZRES_OK;
    int64_t capacity = int64_t(step_) * (needed / step_ + 1);
    // An index no array can reach is refused before anything is touched.
    if (capacity > INT32_MAX) return ErrorResult(QZRES_ARRAY_NOMEMORY);
    try {
        items_.resize(static_cast<size_t>(capacity), nullptr);
    } catch (const std::bad_alloc&) {
        items_.clear();
        items_.shrink_to_fit();
        count_ = 0;
        return ErrorResult(QZRES_ARRAY_NOMEMORY);
    }
    return QZRES_OK;
}

int32_t TQZArray::Add(void* item)
{
    int32_t index = High() + 1;
    return Insert(item, index) == QZRES_OK ? index : -1;
}

int32_t TQZArray::Insert(void* item, int32_t index)
{
    if (index < low_) return ErrorResult(QZRES_BADARG);
    int32_t last = std::max(index, High() + 1);
    if (Grow(last) != QZRES_OK) return ErrorResult(QZRES_ARRAY_NOMEMORY);
    if (index < last) {
        for (int32_t k = last; k > index; --k) {
            Put(k, items_[static_cast<size_t>(k - 1 - low_)]);
            if (onMove_) onMove_(items_[static_cast<size_t>(k - low_)], k - 1, k);
        }
    }
    // Slots past the end may still hold what Delete or Put left there; the
    // gap an insertion beyond the end opens must read as nil.
    for (int32_t k = High() + 1; k < index; ++k) Put(k, nullptr);
    Put(index, item);
    count_ = last - low_ + 1;
    if (onMove_) onMove_(item, 0, index);
    return QZRES_OK;
}

int32_t TQZArray::Delete(int32_t index)
{
    if (index < low_ || index > High()) return ErrorResult(QZRES_BADARG);
    Put(index, nullptr);
    if (onMove_) onMove_(Get(index), index, -1);
    for (int32_t k = index; k < High(); ++k) {
        Put(k, Get(k + 1));
        if (onMove_) onMove_(Get(k), k + 1, k);
    }
    --count_;
    return QZRES_OK;
}

int32_t TQZArray::Remove(void* item)
{
    return Delete(IndexOf(item));
}

int32_t TQZArray::Move(int32_t from, int32_t to)
{
    if (from < low_ || from > High() || to < low_ || to > High()) return ErrorResult(QZRES_BADARG);
    void* item = Get(from);
    Delete(from);
    return Insert(item, to);
}

int32_t TQZArray::IndexOf(const void* item) const
{
    for (int32_t i = low_; i <= High(); ++i)
        if (items_[static_cast<size_t>(i - low_)] == item) return i;
    return -1;
}

void TQZArray::Clear()
{
    std::fill(items_.begin(), items_.end(), nullptr);
    count_ = 0;
}

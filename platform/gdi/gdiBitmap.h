// A 32-bit bitmap: rows from the top, pixels ARGB (bytes B, G, R, A). It owns
// its pixels or views memory that belongs to someone else (a locked
// surface), which must outlive it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gdiTypes.h"

namespace plat::gdi {

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    Bitmap(Bitmap&&) = default;  // a moved vector keeps its storage
    Bitmap& operator=(Bitmap&&) = default;
    // False (and an empty bitmap) for a size below 1 or above 16384.
    [[nodiscard]] bool Create(int32_t width, int32_t height, uint32_t fill = 0);
    // A view of width x height pixels at bits, pitch bytes a row.
    [[nodiscard]] bool Wrap(uint32_t* bits, int32_t width, int32_t height, int32_t pitchBytes);
    void Reset();

    bool Valid() const { return bits_ != nullptr; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }  // in pixels
    Rect Bounds() const { return {0, 0, width_, height_}; }
    uint32_t* Row(int32_t y) { return bits_ + std::ptrdiff_t(y) * pitch_; }
    const uint32_t* Row(int32_t y) const { return bits_ + std::ptrdiff_t(y) * pitch_; }
    uint32_t Pixel(int32_t x, int32_t y) const
    {
        return (x < 0 || y < 0 || x >= width_ || y >= height_) ? 0 : Row(y)[x];
    }

private:
    std::vector<uint32_t> own_;
    uint32_t* bits_ = nullptr;
    int32_t width_ = 0, height_ = 0, pitch_ = 0;
};

}  // namespace plat::gdi

#include "gdiBitmap.h"

namespace plat::gdi {

namespace {
constexpr int32_t MAX_SIDE = 16384;
}

bool Bitmap::Create(int32_t width, int32_t height, uint32_t fill)
{
    Reset();
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) return false;
    own_.assign(size_t(width) * size_t(height), fill);
    bits_ = own_.data();
    width_ = width;
    height_ = height;
    pitch_ = width;
    return true;
}

bool Bitmap::Wrap(uint32_t* bits, int32_t width, int32_t height, int32_t pitchBytes)
{
    Reset();
    if (!bits || width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE ||
        pitchBytes < width * 4 || pitchBytes % 4 != 0)
        return false;
    bits_ = bits;
    width_ = width;
    height_ = height;
    pitch_ = pitchBytes / 4;
    return true;
}

void Bitmap::Reset()
{
    own_.clear();
    own_.shrink_to_fit();
    bits_ = nullptr;
    width_ = height_ = pitch_ = 0;
}

}  // namespace plat::gdi

#include "sgImageFiles.h"

#include <algorithm>
#include <cstring>

#include "imImage.h"

namespace plat::softgpu {

namespace {

namespace im = plat::imaging;

uint32_t FileFormatOf(im::ImageFormat f)
{
    switch (f) {
    case im::ImageFormat::Jpeg: return kImageFileJpg;
    case im::ImageFormat::Png: return kImageFilePng;
    case im::ImageFormat::Tga: return kImageFileTga;
    case im::ImageFormat::Gif: return kImageFileGif;
    default: return kImageFileBmp;
    }
}

bool InsideOf(const Rect& r, int32_t w, int32_t h)
{
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}

// 32-bit pixels with their own row pitch, the common ground of images and surfaces.
struct PixelView {
    const uint32_t* bits;
    int32_t width, height, pitch;
    uint32_t At(int32_t x, int32_t y) const { return bits[ptrdiff_t(y) * pitch + x]; }
};

uint32_t Lerp(uint32_t a, uint32_t b, uint32_t c, uint32_t d, double wx, double wy)
{
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        double top = ((a >> s) & 0xFF) * (1 - wx) + ((b >> s) & 0xFF) * wx;
        double bottom = ((c >> s) & 0xFF) * (1 - wx) + ((d >> s) & 0xFF) * wx;
        out |= uint32_t(std::clamp(top * (1 - wy) + bottom * wy + 0.5, 0.0, 255.0)) << s;
    }
    return out;
}

// Scales sr of the source into dr of the destination surface.
void Draw(const PixelView& src, Rect sr, Surface& dest, Rect dr, uint32_t filter, uint32_t colourKey)
{
    const int32_t sw = sr.Width(), sh = sr.Height(), dw = dr.Width(), dh = dr.Height();
    const bool nearest = filter <= kFilterPoint || (sw == dw && sh == dh);
    for (int32_t y = 0; y < dh; ++y) {
        uint32_t* d = dest.Pixels() + ptrdiff_t(dr.top + y) * dest.PitchPixels() + dr.left;
        for (int32_t x = 0; x < dw; ++x) {
            uint32_t px;
            if (nearest) {
                int32_t sx = std::min(int32_t(int64_t(x) * sw / dw), sw - 1);
                int32_t sy = std::min(int32_t(int64_t(y) * sh / dh), sh - 1);
                px = src.At(sr.left + sx, sr.top + sy);
            } else {
                double fx = std::clamp((x + 0.5) * sw / dw - 0.5, 0.0, double(sw - 1));
                double fy = std::clamp((y + 0.5) * sh / dh - 0.5, 0.0, double(sh - 1));
                int32_t x0 = int32_t(fx), y0 = int32_t(fy);
                int32_t x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
                px = Lerp(src.At(sr.left + x0, sr.top + y0), src.At(sr.left + x1, sr.top + y0),
                          src.At(sr.left + x0, sr.top + y1), src.At(sr.left + x1, sr.top + y1), fx - x0, fy - y0);
            }
            d[x] = (colourKey != 0 && px == colourKey) ? 0 : px;
        }
    }
}

int32_t Decode(const void* data, size_t size, im::Image& img)
{
    if (!data || size == 0) return kBadArgument;
    if (!im::DecodeImage(static_cast<const uint8_t*>(data), size, img)) return kInvalidData;
    return kOk;
}

PixelView ViewOf(const im::Image& img)
{
    return {reinterpret_cast<const uint32_t*>(img.pixels.data()), img.width, img.height, img.width};
}

int32_t DrawImage(const im::Image& img, Surface& dest, const Rect* destRect, uint32_t filter, uint32_t colourKey)
{
    if (!dest.HasPixels()) return kInvalidCall;
    Rect dr = destRect ? *destRect : dest.Bounds();
    if (!InsideOf(dr, dest.Width(), dest.Height())) return kInvalidCall;
    Draw(ViewOf(img), {0, 0, img.width, img.height}, dest, dr, filter, colourKey);
    return kOk;
}

}  // namespace

int32_t GetImageInfoFromFileInMemory(const void* data, size_t size, ImageFileInfo& out)
{
    out = {};
    im::ImageInfo info;
    if (!data || !im::ReadImageInfo(static_cast<const uint8_t*>(data), size, info)) return kInvalidData;
    out.width = uint32_t(info.width);
    out.height = uint32_t(info.height);
    out.fileFormat = FileFormatOf(info.format);
    return kOk;
}

int32_t GetImageInfoFromFile(std::string_view fileName, ImageFileInfo& out)
{
    std::vector<uint8_t> bytes;
    if (!im::ReadWholeFile(fileName, bytes)) return kInvalidCall;
    return GetImageInfoFromFileInMemory(bytes.data(), bytes.size(), out);
}

int32_t CreateTextureFromFileInMemory(Device& device, const void* data, size_t size, uint32_t usage,
                                      uint32_t format, uint32_t pool, uint32_t colourKey,
                                      std::shared_ptr<Texture>& out, ImageFileInfo* info)
{
    out.reset();
    im::Image img;
    if (int32_t r = Decode(data, size, img); r != kOk) return r;
    if (!SizeAllowed(img.width, img.height)) return kBadArgument;
    std::shared_ptr<Texture> tex;
    if (int32_t r = device.CreateTexture(uint32_t(img.width), uint32_t(img.height), 1, usage, format, pool, tex);
        r != kOk)
        return r;
    if (int32_t r = DrawImage(img, tex->Level0(), nullptr, kFilterNone, colourKey); r != kOk) return r;
    if (info) GetImageInfoFromFileInMemory(data, size, *info);
    out = std::move(tex);
    return kOk;
}

int32_t CreateTextureFromFile(Device& device, std::string_view fileName, uint32_t usage, uint32_t format,
                              uint32_t pool, uint32_t colourKey, std::shared_ptr<Texture>& out, ImageFileInfo* info)
{
    out.reset();
    std::vector<uint8_t> bytes;
    if (!im::ReadWholeFile(fileName, bytes)) return kInvalidCall;
    return CreateTextureFromFileInMemory(device, bytes.data(), bytes.size(), usage, format, pool, colourKey, out,
                                         info);
}

int32_t LoadSurfaceFromFileInMemory(Surface& dest, const Rect* destRect, const void* data, size_t size,
                                    uint32_t filter, uint32_t colourKey)
{
    im::Image img;
    if (int32_t r = Decode(data, size, img); r != kOk) return r;
    return DrawImage(img, dest, destRect, filter, colourKey);
}

int32_t LoadSurfaceFromFile(Surface& dest, const Rect* destRect, std::string_view fileName, uint32_t filter,
                            uint32_t colourKey)
{
    std::vector<uint8_t> bytes;
    if (!im::ReadWholeFile(fileName, bytes)) return kInvalidCall;
    return LoadSurfaceFromFileInMemory(dest, destRect, bytes.data(), bytes.size(), filter, colourKey);
}

int32_t LoadSurfaceFromSurface(Surface& dest, const Rect* destRect, const Surface& source, const Rect* sourceRect,
                               uint32_t filter, uint32_t colourKey)
{
    if (!dest.HasPixels() || !source.HasPixels()) return kInvalidCall;
    Rect sr = sourceRect ? *sourceRect : source.Bounds();
    Rect dr = destRect ? *destRect : dest.Bounds();
    if (!InsideOf(sr, source.Width(), source.Height()) || !InsideOf(dr, dest.Width(), dest.Height()))
        return kInvalidCall;
    PixelView view{source.Pixels(), source.Width(), source.Height(), source.PitchPixels()};
    if (&source == &dest) {
        // Reading and writing one surface: scale from a copy.
        std::vector<uint32_t> copy(source.Pixels(), source.Pixels() + size_t(source.PitchPixels()) * source.Height());
        view.bits = copy.data();
        Draw(view, sr, dest, dr, filter, colourKey);
        return kOk;
    }
    Draw(view, sr, dest, dr, filter, colourKey);
    return kOk;
}

int32_t SaveSurfaceToFileInMemory(std::vector<uint8_t>& out, uint32_t fileFormat, const Surface& surface)
{
    out.clear();
    if (!surface.HasPixels()) return kInvalidCall;
    im::Image img;
    if (!img.Allocate(surface.Width(), surface.Height())) return kInvalidCall;
    const bool opaque = surface.GetDesc().format != kFormatA8R8G8B8 && surface.GetDesc().format != kFormatA1R5G5B5;
    for (int32_t y = 0; y < surface.Height(); ++y)
        for (int32_t x = 0; x < surface.Width(); ++x)
            img.SetPixel(x, y, surface.PixelAt(x, y) | (opaque ? 0xFF000000u : 0u));
    im::EncodeFormat f = fileFormat == kImageFilePng   ? im::EncodeFormat::Png
                         : fileFormat == kImageFileJpg ? im::EncodeFormat::Jpeg
                                                       : im::EncodeFormat::Bmp;
    return im::EncodeImage(img, f, out) ? kOk : kFailed;
}

int32_t SaveTextureToFileInMemory(std::vector<uint8_t>& out, uint32_t fileFormat, const Texture& texture)
{
    return SaveSurfaceToFileInMemory(out, fileFormat, texture.Level0());
}

}  // namespace plat::softgpu

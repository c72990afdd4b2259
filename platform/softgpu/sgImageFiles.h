// Image files to and from device objects: size and type of an image file,
// textures and surfaces filled from image files (file or memory) or from
// other surfaces, and textures written out as PNG, JPEG or BMP. Decoding is
// done by the imaging layer; images keep their own size (no rounding up to
// powers of two) and a colour key turns its exact ARGB value into
// transparent black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sgDevice.h"

namespace plat::softgpu {

// The file is not an image the loaders read, or its size is refused.
constexpr int32_t kInvalidData = int32_t(0x88760B59u);

// Image file types.
constexpr uint32_t kImageFileBmp = 0;
constexpr uint32_t kImageFileJpg = 1;
constexpr uint32_t kImageFileTga = 2;
constexpr uint32_t kImageFilePng = 3;
constexpr uint32_t kImageFileGif = 100;  // read only; no number of its own in the system

struct ImageFileInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = kFormatA8R8G8B8;
    uint32_t fileFormat = kImageFileBmp;
};

int32_t GetImageInfoFromFileInMemory(const void* data, size_t size, ImageFileInfo& out);
int32_t GetImageInfoFromFile(std::string_view fileName, ImageFileInfo& out);

// A texture of the image's size in the given usage, format and pool.
// kBadArgument for an image larger than the device allows.
[[nodiscard]] int32_t CreateTextureFromFileInMemory(Device& device, const void* data, size_t size, uint32_t usage,
                                      uint32_t format, uint32_t pool, uint32_t colourKey,
                                      std::shared_ptr<Texture>& out, ImageFileInfo* info = nullptr);
[[nodiscard]] int32_t CreateTextureFromFile(Device& device, std::string_view fileName, uint32_t usage, uint32_t format,
                              uint32_t pool, uint32_t colourKey, std::shared_ptr<Texture>& out,
                              ImageFileInfo* info = nullptr);

// The image (or sourceRect of a surface) drawn into destRect of the
// destination (nullptr = the whole surface), scaled by the nearest pixel for
// kFilterNone/kFilterPoint and bilinearly otherwise.
[[nodiscard]] int32_t LoadSurfaceFromFileInMemory(Surface& dest, const Rect* destRect, const void* data, size_t size,
                                    uint32_t filter, uint32_t colourKey);
[[nodiscard]] int32_t LoadSurfaceFromFile(Surface& dest, const Rect* destRect, std::string_view fileName, uint32_t filter,
                            uint32_t colourKey);
[[nodiscard]] int32_t LoadSurfaceFromSurface(Surface& dest, const Rect* destRect, const Surface& source, const Rect* sourceRect,
                               uint32_t filter, uint32_t colourKey);

// kImageFileJpg and kImageFilePng as named, any other type as BMP.
[[nodiscard]] int32_t SaveSurfaceToFileInMemory(std::vector<uint8_t>& out, uint32_t fileFormat, const Surface& surface);
[[nodiscard]] int32_t SaveTextureToFileInMemory(std::vector<uint8_t>& out, uint32_t fileFormat, const Texture& texture);

}  // namespace plat::softgpu

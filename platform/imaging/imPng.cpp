// PNG through libpng's in-memory reader and writer, which report every
// problem through the image's warning-or-error state instead of aborting.
#include <png.h>

#include "imCodecs.h"

namespace plat::imaging::detail {

namespace {
// Frees libpng's read state whatever path leaves the scope.
struct PngReader {
    png_image image{};
    PngReader() { image.version = PNG_IMAGE_VERSION; }
    ~PngReader() { png_image_free(&image); }
    bool Begin(const uint8_t* data, size_t size)
    {
        return png_image_begin_read_from_memory(&image, data, size) != 0;
    }
};
}  // namespace

bool PngInfo(const uint8_t* data, size_t size, ImageInfo& info)
{
    PngReader reader;
    if (!reader.Begin(data, size)) return false;
    info.width = int32_t(reader.image.width);
    info.height = int32_t(reader.image.height);
    return SizeAllowed(reader.image.width, reader.image.height);
}

bool PngDecode(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    PngReader reader;
    if (!reader.Begin(data, size)) {
        error = std::string("PNG: ") + reader.image.message;
        return false;
    }
    if (!SizeAllowed(reader.image.width, reader.image.height)) {
        error = "PNG: image too large";
        return false;
    }
    reader.image.format = PNG_FORMAT_BGRA;
    out.width = int32_t(reader.image.width);
    out.height = int32_t(reader.image.height);
    out.pixels.assign(size_t(out.width) * size_t(out.height) * 4, 0);
    if (!png_image_finish_read(&reader.image, nullptr, out.pixels.data(), out.width * 4, nullptr)) {
        error = std::string("PNG: ") + reader.image.message;
        return false;
    }
    return true;
}

bool PngEncode(const Image& image, std::vector<uint8_t>& out)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), image.width * 4,
                                   nullptr))
        return false;
    out.resize(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.pixels.data(), image.width * 4,
                                   nullptr)) {
        out.clear();
        return false;
    }
    out.resize(size);
    return true;
}

}  // namespace plat::imaging::detail

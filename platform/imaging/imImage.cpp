#include "imImage.h"

#include <cstring>

#include "imCodecs.h"
#include "osFiles.h"

namespace plat::imaging {

ImageFormat DetectFormat(const uint8_t* data, size_t size)
{
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!data) return ImageFormat::Unknown;
    if (size >= 8 && std::memcmp(data, png, 8) == 0) return ImageFormat::Png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::Jpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
    if (size >= 6 && std::memcmp(data, "GIF8", 4) == 0) return ImageFormat::Gif;
    if (detail::StbLooksLikeTga(data, size)) return ImageFormat::Tga;
    return ImageFormat::Unknown;
}

bool ReadImageInfo(const uint8_t* data, size_t size, ImageInfo& info)
{
    info = ImageInfo();
    ImageFormat format = DetectFormat(data, size);
    bool ok = false;
    switch (format) {
    case ImageFormat::Png: ok = detail::PngInfo(data, size, info); break;
    case ImageFormat::Jpeg: ok = detail::JpegInfo(data, size, info); break;
    case ImageFormat::Bmp:
    case ImageFormat::Gif:
    case ImageFormat::Tga: ok = detail::StbInfo(data, size, info); break;
    case ImageFormat::Unknown: break;
    }
    if (!ok || !detail::SizeAllowed(info.width, info.height)) {
        info = ImageInfo();
        return false;
    }
    info.format = format;
    return true;
}

namespace {

// Most pixels one byte of each format can describe at its best compression
// (run lengths, deflate, LZW); a header promising more than its data can
// hold is refused before the pixels are allocated. JPEG has no useful bound.
bool DataCanHold(ImageFormat format, size_t size, const ImageInfo& info)
{
    int64_t perByte = 0;
    switch (format) {
    case ImageFormat::Png: perByte = 8300; break;
    case ImageFormat::Bmp: perByte = 16384; break;
    case ImageFormat::Gif: perByte = 4096; break;
    case ImageFormat::Tga: perByte = 128; break;
    default: return true;
    }
    return int64_t(info.width) * info.height <= int64_t(size) * perByte + 4096;
}

}  // namespace

bool DecodeImage(const uint8_t* data, size_t size, Image& out, std::string* error)
{
    out = Image();
    std::string why;
    bool ok = false;
    ImageFormat format = DetectFormat(data, size);
    ImageInfo info;
    if (format != ImageFormat::Unknown && ReadImageInfo(data, size, info) && !DataCanHold(format, size, info)) {
        if (error) *error = "image data too short for its size";
        return false;
    }
    switch (format) {
    case ImageFormat::Png: ok = detail::PngDecode(data, size, out, why); break;
    case ImageFormat::Jpeg: ok = detail::JpegDecode(data, size, out, why); break;
    case ImageFormat::Bmp:
    case ImageFormat::Gif:
    case ImageFormat::Tga: ok = detail::StbDecode(data, size, out, why); break;
    case ImageFormat::Unknown: why = "unknown image format"; break;
    }
    if (ok && (out.Empty() || out.pixels.size() != size_t(out.width) * size_t(out.height) * 4)) {
        ok = false;
        why = "decoder gave no pixels";
    }
    if (!ok) {
        out = Image();
        if (error) *error = why.empty() ? "image could not be decoded" : why;
    }
    return ok;
}

bool ReadWholeFile(std::string_view fileName, std::vector<uint8_t>& out)
{
    out.clear();
    std::string path = os::NativePath(fileName);
    os::FileFacts facts = os::Facts(path);
    if (!facts.exists || facts.folder) return false;
    os::FileHandle file = os::OpenFile(path, os::OpenMode::Read);
    if (!file.Valid()) return false;
    uint8_t chunk[65536];
    for (;;) {
        int64_t n = file.Read(chunk, sizeof chunk);
        if (n < 0) return false;
        if (n == 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    return true;
}

bool DecodeImageFile(std::string_view fileName, Image& out, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, bytes)) {
        out = Image();
        if (error) *error = "file cannot be read";
        return false;
    }
    return DecodeImage(bytes.data(), bytes.size(), out, error);
}

size_t ApplyColourKey(Image& image, uint32_t key)
{
    if (key == 0) return 0;
    size_t changed = 0;
    for (size_t i = 0; i + 4 <= image.pixels.size(); i += 4) {
        uint32_t v;
        std::memcpy(&v, image.pixels.data() + i, 4);
        if (v == key) {
            std::memset(image.pixels.data() + i, 0, 4);
            ++changed;
        }
    }
    return changed;
}

bool EncodeImage(const Image& image, EncodeFormat format, std::vector<uint8_t>& out)
{
    out.clear();
    if (image.Empty() || image.pixels.size() != size_t(image.width) * size_t(image.height) * 4)
        return false;
    switch (format) {
    case EncodeFormat::Png: return detail::PngEncode(image, out);
    case EncodeFormat::Jpeg: return detail::JpegEncode(image, JPEG_QUALITY, out);
    case EncodeFormat::Bmp: return detail::BmpEncode(image, out);
    }
    return false;
}

}  // namespace plat::imaging

#include "sgCapture.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace plat::softgpu {

namespace {

std::mutex captureLock;
PresentRouter router;
bool folderSet = false;
std::string folder;

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBE32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + start, uInt(out.size() - start));
    PutBE32(out, uint32_t(crc));
}

}  // namespace

void SetPresentRouter(PresentRouter r)
{
    std::lock_guard<std::mutex> hold(captureLock);
    router = std::move(r);
}

void RoutePresent(void* window, const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height)
{
    PresentRouter r;
    {
        std::lock_guard<std::mutex> hold(captureLock);
        r = router;
    }
    if (r) r(window, pixels, pitchBytes, width, height);
}

void SetFrameCaptureFolder(const std::string& f)
{
    std::lock_guard<std::mutex> hold(captureLock);
    folderSet = true;
    folder = f;
}

std::string FrameCaptureFolder()
{
    std::lock_guard<std::mutex> hold(captureLock);
    if (folderSet) return folder;
    const char* env = std::getenv("VANTOREL_FRAME_CAPTURE");
    return env ? env : "";
}

std::vector<uint8_t> EncodePng(const uint32_t* pixels, int32_t pitchPixels, int32_t width, int32_t height, bool opaque)
{
    std::vector<uint8_t> raw;
    raw.reserve(size_t(width * 4 + 1) * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        const uint32_t* row = pixels + int64_t(y) * pitchPixels;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t p = row[x];
            raw.push_back(uint8_t(p >> 16));
            raw.push_back(uint8_t(p >> 8));
            raw.push_back(uint8_t(p));
            raw.push_back(opaque ? 0xFF : uint8_t(p >> 24));
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBE32(header, uint32_t(width));
    PutBE32(header, uint32_t(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", {});
    return png;
}

bool WritePng(const Surface& surface, const std::string& path)
{
    if (!surface.HasPixels()) return false;
    std::vector<uint8_t> png = EncodePng(surface.Pixels(), surface.PitchPixels(), surface.Width(), surface.Height(),
                                         surface.GetDesc().format == kFormatX8R8G8B8);
    if (png.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

}  // namespace plat::softgpu

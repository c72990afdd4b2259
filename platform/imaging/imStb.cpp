// BMP, GIF and TGA through stb_image, compiled here with only those readers
// and our own size limit so that absurd headers are refused before any
// allocation.
#include <algorithm>
#include <climits>
#include <cstring>

#include "imCodecs.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace plat::imaging::detail {

static_assert(STBI_MAX_DIMENSIONS == MAX_IMAGE_SIDE);

bool StbInfo(const uint8_t* data, size_t size, ImageInfo& info)
{
    if (!data || size == 0 || size > size_t(INT_MAX)) return false;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &comp)) return false;
    info.width = w;
    info.height = h;
    return SizeAllowed(w, h);
}

bool StbLooksLikeTga(const uint8_t* data, size_t size)
{
    if (!data || size < 18 || size > size_t(INT_MAX)) return false;
    stbi__context s;
    stbi__start_mem(&s, data, int(size));
    return stbi__tga_test(&s) != 0;
}

namespace {

// The loaders read zeros past the end of their input; reading through
// callbacks shows when they did, so truncated data is refused.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool overrun = false;
};

int ReadBytes(void* user, char* out, int count)
{
    auto* r = static_cast<Reader*>(user);
    size_t n = std::min(size_t(count > 0 ? count : 0), r->size - r->pos);
    if (n == 0) r->overrun = true;
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
    return int(n);
}

void SkipBytes(void* user, int count)
{
    auto* r = static_cast<Reader*>(user);
    if (count < 0) {
        r->pos -= std::min(r->pos, size_t(-int64_t(count)));
        return;
    }
    if (size_t(count) > r->size - r->pos) {
        r->overrun = true;
        r->pos = r->size;
        return;
    }
    r->pos += size_t(count);
}

int AtEnd(void* user)
{
    auto* r = static_cast<Reader*>(user);
    return r->pos >= r->size;
}

stbi_uc* LoadRgba(const uint8_t* data, size_t size, int& w, int& h, bool& overrun)
{
    Reader reader{data, size};
    stbi_io_callbacks io{ReadBytes, SkipBytes, AtEnd};
    stbi__context s;
    stbi__start_callbacks(&s, &io, &reader);
    stbi__result_info ri;
    std::memset(&ri, 0, sizeof ri);
    ri.bits_per_channel = 8;
    ri.channel_order = STBI_ORDER_RGB;
    int comp = 0;
    void* pixels = nullptr;
    if (stbi__bmp_test(&s)) pixels = stbi__bmp_load(&s, &w, &h, &comp, 4, &ri);
    else if (stbi__gif_test(&s)) pixels = stbi__gif_load(&s, &w, &h, &comp, 4, &ri);
    else if (stbi__tga_test(&s)) pixels = stbi__tga_load(&s, &w, &h, &comp, 4, &ri);
    else stbi__err("unknown image type", "unknown image type");
    overrun = reader.overrun;
    if (pixels && ri.bits_per_channel != 8) {
        stbi_image_free(pixels);
        stbi__err("unsupported", "more than 8 bits a channel");
        return nullptr;
    }
    return static_cast<stbi_uc*>(pixels);
}

}  // namespace

bool StbDecode(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    ImageInfo info;
    if (!StbInfo(data, size, info)) {
        const char* why = stbi_failure_reason();
        error = std::string("image header refused: ") + (why ? why : "too large");
        return false;
    }
    int w = 0, h = 0;
    bool overrun = false;
    stbi_uc* rgba = LoadRgba(data, size, w, h, overrun);
    if (!rgba) {
        const char* why = stbi_failure_reason();
        error = std::string("image refused: ") + (why ? why : "unknown");
        return false;
    }
    if (overrun) {
        stbi_image_free(rgba);
        error = "image data ends early";
        return false;
    }
    if (!SizeAllowed(w, h)) {
        stbi_image_free(rgba);
        error = "image too large";
        return false;
    }
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * size_t(h) * 4);
    const stbi_uc* in = rgba;
    uint8_t* px = out.pixels.data();
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i, in += 4, px += 4) {
        px[0] = in[2];
        px[1] = in[1];
        px[2] = in[0];
        px[3] = in[3];
    }
    stbi_image_free(rgba);
    return true;
}

}  // namespace plat::imaging::detail

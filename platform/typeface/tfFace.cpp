#include "tfFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace plat::typeface {

namespace {

// fontconfig and the FreeType library object are shared by every face;
// both are set up once and used under one lock.
std::mutex& Lock()
{
    static std::mutex m;
    return m;
}

FT_Library Library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

std::string PatternString(FcPattern* p, const char* object)
{
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, object, 0, &s) != FcResultMatch || !s) return {};
    return reinterpret_cast<const char*>(s);
}

}  // namespace

uint32_t CodePointOf(uint8_t ch)
{
    static const uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (ch >= 0x80 && ch < 0xA0) return high[ch - 0x80];
    return ch;
}

bool ResolveFace(std::string_view name, bool bold, bool italic, FaceFile& out)
{
    std::lock_guard<std::mutex> guard(Lock());
    static const bool ready = [] {
        if (!FcInit()) return false;
        std::atexit([] { FcFini(); });  // lets leak checkers see fontconfig's tables go
        return true;
    }();
    if (!ready) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    std::string family(name);
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    out.path = PatternString(match, FC_FILE);
    out.family = PatternString(match, FC_FAMILY);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    out.index = index;
    FcPatternDestroy(match);
    return !out.path.empty();
}

struct Typeface::Impl {
    FT_Face face = nullptr;
    ~Impl()
    {
        if (!face) return;
        std::lock_guard<std::mutex> guard(Lock());
        FT_Done_Face(face);
    }
};

Typeface::Typeface(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Typeface::~Typeface() = default;

std::unique_ptr<Typeface> Typeface::Open(std::string_view name, int32_t size, bool bold, bool italic)
{
    if (size < 1 || size > 2048) return nullptr;
    FaceFile file;
    if (!ResolveFace(name, bold, italic, file)) return nullptr;
    auto impl = std::make_unique<Impl>();
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (!Library() || FT_New_Face(Library(), file.path.c_str(), file.index, &impl->face) != 0) {
            impl->face = nullptr;
            return nullptr;
        }
    }
    if (FT_Set_Pixel_Sizes(impl->face, 0, FT_UInt(size)) != 0) return nullptr;
    std::unique_ptr<Typeface> t(new Typeface(std::move(impl)));
    t->file_ = file;
    t->size_ = size;
    const FT_Size_Metrics& m = t->impl_->face->size->metrics;
    t->ascent_ = int32_t((m.ascender + 63) >> 6);
    t->descent_ = int32_t((-m.descender + 63) >> 6);
    return t;
}

int32_t Typeface::Advance(uint8_t ch) const { return GetGlyph(ch).advance; }

const Glyph& Typeface::GetGlyph(uint8_t ch) const
{
    std::optional<Glyph>& slot = glyphs_[ch];
    if (slot) return *slot;
    slot.emplace();
    Glyph& g = *slot;
    if (ch < 32 || ch == 127) return g;  // control bytes draw nothing
    FT_Face face = impl_->face;
    if (FT_Load_Char(face, CodePointOf(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return g;
    const FT_GlyphSlot s = face->glyph;
    g.advance = int32_t((s->advance.x + 32) >> 6);
    const FT_Bitmap& bm = s->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return g;
    g.width = int32_t(bm.width);
    g.height = int32_t(bm.rows);
    g.left = s->bitmap_left;
    g.top = s->bitmap_top;
    g.coverage.resize(size_t(g.width) * size_t(g.height));
    for (int32_t y = 0; y < g.height; ++y) {
        const uint8_t* row = bm.buffer + y * bm.pitch;
        std::memcpy(g.coverage.data() + size_t(y) * size_t(g.width), row, size_t(g.width));
    }
    return g;
}

}  // namespace plat::typeface

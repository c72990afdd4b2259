#include "qz7fonts.h"
#include "qz7text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "qz7files.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "qz7videogdi.h"
#include "qz7window.h"
#include "tfAtlas.h"
#include "tfFace.h"

namespace sg = plat::softgpu;
namespace tf = plat::typeface;

namespace {

// The scale of the video's window once the video is ready, else the desktop's.
float DefaultScale()
{
    TQZVideo* v = SingletonExists(QZSLOT_VIDEODX9) || SingletonExists(QZSLOT_VIDEOGDI) ? GetVideo() : nullptr;
    const TQZWindow* window = v && v->IsReady() ? dynamic_cast<const TQZWindow*>(v->Window()) : nullptr;
    return GetMonitorScale(window);
}
TQZMonitorScaleProc monitorScaleProc = &DefaultScale;

bool SameFace(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
           });
}

bool Intersects(const TQZRect& a, const TQZRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void DrawStatisticsLine(TQZVideo*, const TQZRect& line, const std::string& text)
{
    if (TQZFonts* fonts = GetFonts())
        if (TQZFont* f = fonts->DefaultFont()) f->DrawText(line, text, QZTEXT_RIGHT | QZTEXT_VCENTER, 0xFF000000);
}

}  // namespace

void SetFontMonitorScaleProc(TQZMonitorScaleProc proc) { monitorScaleProc = proc ? proc : &DefaultScale; }

uint32_t TextFormatOf(uint32_t flags)
{
    uint32_t f = 0;
    if (flags & QZTEXT_CENTER) f |= tf::TEXT_CENTER;
    if (flags & QZTEXT_RIGHT) f |= tf::TEXT_RIGHT;
    if (flags & QZTEXT_VCENTER) f |= tf::TEXT_VCENTER;
    if (flags & QZTEXT_BOTTOM) f |= tf::TEXT_BOTTOM;
    if (flags & QZTEXT_WORDWRAP) f |= tf::TEXT_WORDBREAK;
    return f;
}

// ---------------------------------------------------------------- base

TQZFont::TQZFont(const std::string& faceName, int32_t fontSize) : face(faceName), size(fontSize) {}

TQZRenderCache* TQZFont::DrawCache() const { return video ? video->GetRenderCache() : CurrentRenderCache(); }

int32_t TQZFont::CharWidth(uint8_t ch) { return TextWidth(std::string(1, char(ch))); }
int32_t TQZFont::TextHeight(const std::string& text) { return text.empty() ? 0 : size; }
int32_t TQZFont::TextWidth(const std::string& text) { return int32_t(text.size()) * size; }
void TQZFont::DrawText(const TQZRect&, const std::string&, uint32_t, TQZColour) {}

void TQZFont::DrawTextColoured(const TQZRect& rect, const std::string& text, uint32_t flags,
                               const std::vector<TQZColour>& colours, const std::vector<int32_t>& positions)
{
    if (colours.empty() || positions.empty()) return;
    DrawText(rect, text, flags, colours[0]);
}

bool TQZFont::SupportsBackEnd(int32_t) { return false; }

void TQZFont::Unload()
{
    face.clear();
    size = 0;
}

// ---------------------------------------------------------------- texture fonts

TQZFontTexture::TQZFontTexture(const std::string& fileName) : TQZFont(fileName, 0)
{
    loadResult_ = Load(fileName);
}

TQZFontTexture::~TQZFontTexture() { TQZFontTexture::Unload(); }

int32_t TQZFontTexture::Load(const std::string& fileName)
{
    int32_t r = QZRES_OK;
    std::unique_ptr<TQZMemory> file = TQZMemory::CreateFromFile(fileName, &r);
    if (!file) return ErrorResult(QZRES_NOFILE);
    TQZ7FontFile parsed;
    if (ParseQZ7Font(file->Data(), size_t(file->Size()), parsed) != QZRES_OK) return QZRES_FAILED;
    size = lineHeight_ = parsed.lineHeight;
    lineGap_ = parsed.lineGap;
    if (!parsed.embedded) {
        std::string name = parsed.textureName;
        if (!IsFile(name)) name = FolderOf(fileName) + name;
        try {
            texture_ = TQZTexture::CreateFromFile(name, QZ7FONT_COLOURKEY, true);
        } catch (const EQZTextureError&) {
            texture_.reset();
        }
    } else {
        texture_ = TQZTexture::CreateFromMemory(file->Data() + parsed.imageOffset, file->Size() - parsed.imageOffset,
                                                QZ7FONT_COLOURKEY);
    }
    if (!texture_) return ErrorResult(QZRES_NOFILE);
    const float tw = float(texture_->GetWidth()), th = float(texture_->GetHeight());
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        const TQZ7FontGlyph& g = parsed.glyphs[size_t(n)];
        glyphs_[size_t(n)] = {g.advance,
                              {int32_t(std::lround(tw * g.left)), int32_t(std::lround(th * g.top)),
                               int32_t(std::lround(tw * g.right)), int32_t(std::lround(th * g.bottom))}};
    }
    return QZRES_OK;
}

void TQZFontTexture::Unload()
{
    texture_.reset();
    TQZFont::Unload();
}

int32_t TQZFontTexture::CharWidth(uint8_t ch)
{
    if (ch < QZ7FONT_FIRST_CODE || ch >= QZ7FONT_FIRST_CODE + QZ7FONT_GLYPHS) return 0;
    return GlyphOf(ch).advance - 2;
}

int32_t TQZFontTexture::TextWidth(const std::string& text)
{
    int64_t w = 0;  // advances come from the file: keep their sum in range
    for (char c : text) w += CharWidth(uint8_t(c));
    return int32_t(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX));
}

int32_t TQZFontTexture::TextHeight(const std::string& text) { return text.empty() ? 0 : lineHeight_; }

TQZPoint TQZFontTexture::PenStart(const TQZRect& r, const std::string& text, uint32_t flags)
{
    int32_t w = TextWidth(text), h = TextHeight(text);
    TQZPoint p{r.left, r.top};
    if (flags & QZTEXT_CENTER) p.x = r.left + (r.Width() - w) / 2;
    if (flags & QZTEXT_VCENTER) p.y = r.top + (r.Height() - h) / 2;
    if (flags & QZTEXT_RIGHT) p.x = r.right - w;
    if (flags & QZTEXT_BOTTOM) p.y = r.bottom - h;
    return p;
}

void TQZFontTexture::DrawText(const TQZRect& r, const std::string& text, uint32_t flags, TQZColour colour)
{
    if (text.empty() || size == 0 || !texture_) return;
    if (flags & QZTEXT_WORDWRAP) {
        DrawWrapped(r, text, flags, colour);
        return;
    }
    TQZRenderCache* cache = DrawCache();
    if (!cache) return;
    const int32_t w = TextWidth(text), h = TextHeight(text);
    const bool clip = w > r.Width() || h > r.Height();
    if (clip) cache->PushClip(r);
    TQZPoint pen = PenStart(r, text, flags);
    int32_t extra = 0;
    if (flags & QZTEXT_JUSTIFY) {
        int32_t spaces = int32_t(std::count(text.begin(), text.end(), ' '));
        if (w < r.Width() && spaces > 0) {
            extra = (r.Width() - w - 1) / spaces;
            if (CharWidth('W') < extra) extra = 0;
        }
    }
    std::vector<TQZD3DVertex> vertices;
    for (char c : text) {
        uint8_t ch = uint8_t(c);
        if (ch < QZ7FONT_FIRST_CODE || ch >= QZ7FONT_FIRST_CODE + QZ7FONT_GLYPHS) continue;
        const Glyph& g = GlyphOf(ch);
        TQZRect box{pen.x, pen.y, pen.x + g.advance, pen.y + h};
        if (Intersects(box, r)) {
            TQZRectF tc = texture_->TextureCoords(g.rect);
            const float xs[4] = {float(box.left), float(box.right), float(box.right), float(box.left)};
            const float ys[4] = {float(box.top), float(box.top), float(box.bottom), float(box.bottom)};
            const float us[4] = {tc.left, tc.right, tc.right, tc.left};
            const float vs[4] = {tc.top, tc.top, tc.bottom, tc.bottom};
            for (int i = 0; i < 4; ++i)
                vertices.push_back({xs[i] - 0.5f, ys[i] - 0.5f, 0.0f, 1.0f, colour, colour, us[i], vs[i]});
        }
        pen.x = box.right - 2;
        if (ch == ' ') pen.x += extra;
    }
    cache->SetTexture(texture_.get());
    cache->SetRenderStates({{sg::kRsAlphaBlendEnable, 1}, {sg::kRsSrcBlend, sg::kBlendSrcAlpha},
                            {sg::kRsDestBlend, sg::kBlendInvSrcAlpha}});
    // In pieces the video's own cache always holds; they still form one batch.
    constexpr size_t QUADS_A_PIECE = 32;
    std::vector<uint16_t> indices;
    for (size_t q = 0; q < QUADS_A_PIECE; ++q)
        for (uint16_t i : {0, 1, 2, 0, 2, 3}) indices.push_back(uint16_t(q * 4 + i));
    for (size_t first = 0; first < vertices.size(); first += QUADS_A_PIECE * 4) {
        size_t count = std::min(vertices.size() - first, QUADS_A_PIECE * 4);
        cache->AddVertices(int32_t(count), int32_t(count / 4 * 6), vertices.data() + first, indices.data(), 2);
    }
    if (clip) cache->PopClip();
}

std::vector<std::string> TQZFontTexture::WrapLines(const std::string& text, int32_t width)
{
    std::vector<std::string> lines;
    const int32_t limit = width - 1;
    size_t start = 0, i = 0;
    ptrdiff_t lastBreak = -1;
    int64_t sum = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r') {
            lines.push_back(text.substr(start, i - start));
            i += 2;  // the CR LF pair
            start = std::min(i, text.size());
            lastBreak = -1;
            sum = 0;
            continue;
        }
        if (c == ' ') lastBreak = ptrdiff_t(i);
        sum += CharWidth(uint8_t(c));
        if (sum >= limit) {
            if (lastBreak >= ptrdiff_t(start)) {
                lines.push_back(text.substr(start, size_t(lastBreak) - start));
                start = size_t(lastBreak) + 1;
            } else if (i > start) {
                lines.push_back(text.substr(start, i - start));  // a long word is cut here
                start = i;
            } else {
                lines.push_back(text.substr(start, 1));  // one glyph wider than the line
                start = i + 1;
            }
            sum = TextWidth(text.substr(start, i + 1 > start ? i + 1 - start : 0));
            lastBreak = -1;
        }
        ++i;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

void TQZFontTexture::DrawWrapped(const TQZRect& r, const std::string& text, uint32_t flags, TQZColour colour)
{
    if (r.Width() <= 0 || r.Height() <= 0) return;
    TQZRenderCache* cache = DrawCache();
    if (!cache) return;
    std::vector<std::string> lines = WrapLines(text, r.Width());
    const int32_t step = lineHeight_ + lineGap_, count = int32_t(lines.size());
    int32_t y = r.top;
    if (flags & QZTEXT_VCENTER) y = (r.top + r.bottom) / 2 - step * count / 2;
    if (flags & QZTEXT_BOTTOM) y = r.bottom - step * count;
    cache->PushClip(r);
    const uint32_t lineFlags = flags & ~(QZTEXT_VCENTER | QZTEXT_BOTTOM | QZTEXT_WORDWRAP);
    for (int32_t n = 0; n < count; ++n) {
        uint32_t f = n == count - 1 ? (lineFlags & ~QZTEXT_JUSTIFY) : lineFlags;
        DrawText({r.left, y, r.right, y + lineHeight_}, lines[size_t(n)], f, colour);
        y += step;
    }
    cache->PopClip();
}

void TQZFontTexture::DrawTextColoured(const TQZRect& r, const std::string& text, uint32_t flags,
                                      const std::vector<TQZColour>& colours, const std::vector<int32_t>& positions)
{
    if (text.empty() || colours.empty() || !texture_) return;
    TQZRenderCache* cache = DrawCache();
    if (!cache) return;
    cache->PushClip(r);
    TQZPoint pen = PenStart(r, text, flags);
    const int32_t h = TextHeight(text);
    TQZColour colour = colours[0];
    size_t next = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (next < positions.size() && positions[next] == int32_t(i + 1)) {
            if (next < colours.size()) colour = colours[next];
            ++next;
        }
        uint8_t ch = uint8_t(text[i]);
        if (ch < QZ7FONT_FIRST_CODE || ch >= QZ7FONT_FIRST_CODE + QZ7FONT_GLYPHS) continue;
        const Glyph& g = GlyphOf(ch);
        TQZRect box{pen.x, pen.y, pen.x + g.advance, pen.y + h};
        if (Intersects(box, r)) texture_->DrawPart(g.rect, box, colour);
        pen.x = box.right - 2;
    }
    cache->PopClip();
}

// ---------------------------------------------------------------- system typefaces

TQZFontTrueType::TQZFontTrueType(const std::string& faceName, uint32_t fontFlags, int32_t fontSize)
    : TQZFont(faceName, fontSize)
{
    flags = fontFlags;
    typeface_ = tf::Typeface::Open(faceName, fontSize, fontFlags & QZFONT_BOLD, fontFlags & QZFONT_ITALIC);
    if (!typeface_) return;
    auto atlas = std::make_unique<tf::GlyphAtlas>();
    auto texture = std::make_unique<TQZTexture>();
    if (!atlas->Build(*typeface_) || texture->CreateD3DTexture(atlas->Side(), atlas->Side()) != QZRES_OK) return;
    // White glyphs whose alpha is their coverage: the colour comes from the vertices.
    TQZTexturePixelData* pd = texture->PixelData();
    if (pd->Lock(0) != QZRES_OK) return;
    for (int32_t y = 0; y < atlas->Side(); ++y)
        for (int32_t x = 0; x < atlas->Side(); ++x)
            pd->SetPixel(x, y, (uint32_t(atlas->Page()[size_t(y) * size_t(atlas->Side()) + size_t(x)]) << 24) | 0xFFFFFF);
    pd->Unlock();
    atlas_ = std::move(atlas);
    texture_ = std::move(texture);
}

TQZFontTrueType::~TQZFontTrueType() { TQZFontTrueType::Unload(); }

void TQZFontTrueType::Unload()
{
    texture_.reset();
    atlas_.reset();
    typeface_.reset();
    TQZFont::Unload();
}

int32_t TQZFontTrueType::TextHeight(const std::string& text)
{
    if (text.empty() || !typeface_) return 0;
    return tf::LayoutText(*typeface_, text, {}, tf::TEXT_CALCRECT).bounds.bottom;
}

int32_t TQZFontTrueType::TextWidth(const std::string& text)
{
    if (!typeface_) return 0;
    auto width = [&](const std::string& t) {
        return tf::LayoutText(*typeface_, t, {}, tf::TEXT_CALCRECT).bounds.Width();
    };
    if (!text.empty() && text.back() == ' ') return width(text + "_") - width("_");
    return width(text);
}

void TQZFontTrueType::DrawText(const TQZRect& r, const std::string& text, uint32_t drawFlags, TQZColour colour)
{
    TQZVideo* v = video ? video : CurrentVideo();
    TQZDirect3DDevice* device = Direct3DDevice();
    if (!Valid() || text.empty() || !v || !device || !device->Device() || !device->InScene()) return;
    v->UnbindTarget();
    tf::TextLayout layout = tf::LayoutText(*typeface_, text, {r.left, r.top, r.right, r.bottom}, TextFormatOf(drawFlags));
    std::vector<TQZD3DVertex> vertices;
    std::vector<uint16_t> indices;
    const float side = float(atlas_->Side());
    auto flush = [&] {
        if (vertices.empty()) return;
        // Refused only for counts that do not fit the arrays, which are built here to fit.
        (void)device->Device()->DrawIndexedPrimitiveUP(sg::kPrimitiveTriangleList, 0, uint32_t(vertices.size()),
                                                 uint32_t(indices.size() / 3), indices.data(), sg::kFormatIndex16,
                                                 vertices.data(), sizeof(TQZD3DVertex));
        vertices.clear();
        indices.clear();
    };
    device->SetTexture(texture_.get());
    for (const tf::PlacedGlyph& p : layout.glyphs) {
        const tf::GlyphAtlas::Entry& e = atlas_->At(p.ch);
        if (e.width == 0) continue;
        TQZRect box{p.x + e.left, p.y + typeface_->Ascent() - e.top, 0, 0};
        box.right = box.left + e.width;
        box.bottom = box.top + e.height;
        TQZRect shown = box;
        if (layout.clipped && !IntersectRects(box, r, shown)) continue;
        // Clipping a glyph trims its texture rectangle by the same pixels.
        float u0 = float(e.x + shown.left - box.left) / side, v0 = float(e.y + shown.top - box.top) / side;
        float u1 = float(e.x + e.width - (box.right - shown.right)) / side;
        float v1 = float(e.y + e.height - (box.bottom - shown.bottom)) / side;
        uint16_t base = uint16_t(vertices.size());
        vertices.push_back({float(shown.left) - 0.5f, float(shown.top) - 0.5f, 0, 1, colour, colour, u0, v0});
        vertices.push_back({float(shown.right) - 0.5f, float(shown.top) - 0.5f, 0, 1, colour, colour, u1, v0});
        vertices.push_back({float(shown.right) - 0.5f, float(shown.bottom) - 0.5f, 0, 1, colour, colour, u1, v1});
        vertices.push_back({float(shown.left) - 0.5f, float(shown.bottom) - 0.5f, 0, 1, colour, colour, u0, v1});
        for (uint16_t i : {0, 1, 2, 0, 2, 3}) indices.push_back(uint16_t(base + i));
        if (vertices.size() >= 60000) flush();
    }
    flush();
    device->CountDraw(2 * int32_t(text.size()));
    device->SetTexture(nullptr);
    v->BindTarget(false);
}

// ---------------------------------------------------------------- device-context fonts

TQZFontGDI::TQZFontGDI(const std::string& faceName, int32_t fontSize) : TQZFont(faceName, fontSize)
{
    typeface_ = tf::Typeface::Open(faceName, fontSize);
}

TQZFontGDI::~TQZFontGDI() { TQZFontGDI::Unload(); }

void TQZFontGDI::Unload()
{
    typeface_.reset();
    TQZFont::Unload();
}

int32_t TQZFontGDI::TextHeight(const std::string& text)
{
    if (text.empty() || !typeface_) return 0;
    return tf::LayoutText(*typeface_, text, {}, tf::TEXT_CALCRECT).bounds.bottom;
}

int32_t TQZFontGDI::TextWidth(const std::string& text)
{
    if (!typeface_) return 0;
    return tf::LayoutText(*typeface_, text, {}, tf::TEXT_CALCRECT).bounds.Width();
}

void TQZFontGDI::DrawText(const TQZRect& r, const std::string& text, uint32_t drawFlags, TQZColour colour)
{
    TQZVideo* v = video ? video : CurrentVideo();
    void* handle = nullptr;
    if (!typeface_ || text.empty() || !v || !v->GetDC(handle) || !handle) return;
    auto* dc = static_cast<plat::gdi::DeviceContext*>(handle);
    const tf::Typeface* old = dc->SelectFont(typeface_.get());
    dc->SetBkMode(plat::gdi::BKMODE_TRANSPARENT);
    plat::gdi::ColorRef oldColour = dc->SetTextColor(plat::gdi::ColorRefFromArgb(colour));
    plat::gdi::Rect box{r.left, r.top, r.right, r.bottom};
    dc->DrawText(text, box, TextFormatOf(drawFlags));
    dc->SetTextColor(oldColour);
    dc->SelectFont(old);
    v->ReleaseDC(handle);
}

// ---------------------------------------------------------------- cache

TQZFonts* GetFonts() { return FrameworkStarted() ? GetInstance<TQZFonts>(QZSLOT_FONTS) : nullptr; }

TQZFonts::~TQZFonts()
{
    SetStatisticsTextProc(nullptr);
    while (!fonts_.empty()) fonts_.pop_back();  // last made, first freed
}

void TQZFonts::Initialise()
{
    fonts_.reserve(4);
    SetStatisticsTextProc(&DrawStatisticsLine);
}

int32_t TQZFonts::FindFont(const std::string& faceName, int32_t fontSize, uint32_t fontFlags)
{
    for (size_t i = 0; i < fonts_.size(); ++i) {
        TQZFont* f = fonts_[i].get();
        if (SameFace(f->face, faceName) && f->size == fontSize && f->flags == fontFlags &&
            f->SupportsBackEnd(VideoBackEnd))
            return int32_t(i);
    }
    return -1;
}

TQZFont* TQZFonts::GetFont(const std::string& faceName, int32_t fontSize, uint32_t fontFlags)
{
    if (int32_t i = FindFont(faceName, fontSize, fontFlags); i >= 0) return fonts_[size_t(i)].get();
    std::unique_ptr<TQZFont> made = MakeRegistered(faceName, fontSize, fontFlags);
    if (!made && VideoBackEnd == QZVIDEO_BACKEND_GDI) {
        auto f = std::make_unique<TQZFontGDI>(faceName, fontSize);
        if (f->Valid()) made = std::move(f);
    } else if (!made) {
        auto f = std::make_unique<TQZFontTrueType>(faceName, fontFlags, fontSize);
        if (f->Valid()) made = std::move(f);
    }
    if (!made) return nullptr;
    made->flags = fontFlags;
    fonts_.push_back(std::move(made));
    return fonts_.back().get();
}

std::unique_ptr<TQZFont> TQZFonts::MakeRegistered(const std::string& faceName, int32_t fontSize, uint32_t fontFlags)
{
    if (VideoBackEnd != QZVIDEO_BACKEND_DX9) return nullptr;
    for (const Registration& r : registered_) {
        if (!SameFace(r.face, faceName) || r.size != fontSize) continue;
        if (r.file.size() < 4 || !SameFace(r.file.substr(r.file.size() - 4), ".qz7")) return nullptr;
        auto f = std::make_unique<TQZFontTexture>(r.file);
        if (f->LoadResult() != QZRES_OK) return nullptr;
        f->face = r.face;
        f->size = fontSize;
        f->flags = fontFlags;
        return f;
    }
    return nullptr;
}

void TQZFonts::RegisterFont(const std::string& file, const std::string& faceName, int32_t fontSize)
{
    for (Registration& r : registered_) {
        if (SameFace(r.face, faceName) && r.size == fontSize) {
            r.file = file;
            return;
        }
    }
    registered_.push_back({file, faceName, fontSize});
}

TQZFont* TQZFonts::GetBoldFont(TQZFont* font)
{
    return font ? GetFont(font->face, font->size, QZFONT_BOLD) : nullptr;
}

void TQZFonts::RegisterFontAlias(const std::string& alias, const std::string& faceName, int32_t fontSize)
{
    const std::string key = UpperText(alias);
    TQZFont* font = GetFontPlain(faceName, fontSize);
    for (auto& a : aliases_) {
        if (a.first == key) {
            a.second = font;
            return;
        }
    }
    aliases_.emplace_back(key, font);
}

TQZFont* TQZFonts::FontByAlias(const std::string& alias) const
{
    const std::string key = UpperText(alias);
    for (const auto& a : aliases_) {
        if (a.first == key) return a.second;
    }
    return nullptr;
}

TQZFont* TQZFonts::DefaultFont()
{
    if (!default_) {
        float scale = monitorScaleProc();
        int32_t fontSize = scale > 1.01f ? int32_t(std::lround(12.0 * scale)) : 12;
        default_ = GetFont("Segoe UI", fontSize, 0);
    }
    return default_;
}

void DrawTextDefaultFont(const std::string& text, const TQZRect& rect, TQZColour colour)
{
    TQZFonts* fonts = GetFonts();
    if (TQZFont* f = fonts ? fonts->DefaultFont() : nullptr) f->DrawText(rect, text, QZTEXT_LEFT, colour);
}

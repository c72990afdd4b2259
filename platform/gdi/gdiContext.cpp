#include "gdiContext.h"

#include <cstdlib>
#include <memory>

namespace plat::gdi {

namespace {

uint32_t Invert(uint32_t px) { return px ^ 0x00FFFFFFu; }

// Coverage 0..255 of colour over the pixel; the result is opaque.
uint32_t Blend(uint32_t dst, uint32_t src, uint32_t cover)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        int32_t d = int32_t((dst >> shift) & 0xFF), s = int32_t((src >> shift) & 0xFF);
        out |= uint32_t(d + (s - d) * int32_t(cover) / 255) << shift;
    }
    return out;
}

int64_t Edge(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t px, int64_t py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

}  // namespace

Bitmap* DeviceContext::SelectBitmap(Bitmap* target) { return Swap(target_, target); }

const typeface::Typeface* DeviceContext::Font() const
{
    if (font_) return font_;
    static const std::unique_ptr<typeface::Typeface> fallback = typeface::Typeface::Open("Arial", 13);
    return fallback.get();
}

void DeviceContext::SetClipRect(const Rect& r)
{
    hasClip_ = !r.Empty();
    clip_ = r;
}

bool DeviceContext::GetClipRect(Rect& out) const
{
    if (!hasClip_) return false;
    out = clip_;
    return true;
}

Rect DeviceContext::Visible() const
{
    if (!target_ || !target_->Valid()) return {};
    Rect r = target_->Bounds();
    return hasClip_ ? r.Intersect(clip_) : r;
}

bool DeviceContext::FillRect(const Rect& rect, ColorRef colour)
{
    if (!target_ || !target_->Valid()) return false;
    Rect r = rect.Intersect(Visible());
    uint32_t px = ArgbFromColorRef(colour);
    for (int32_t y = r.top; y < r.bottom; ++y) std::fill(target_->Row(y) + r.left, target_->Row(y) + r.right, px);
    return true;
}

bool DeviceContext::PatBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop)
{
    if (!target_ || !target_->Valid()) return false;
    Rect area{std::min(x, x + w), std::min(y, y + h), std::max(x, x + w), std::max(y, y + h)};
    switch (rop) {
    case ROP_PATCOPY: return FillRect(area, brush_);
    case ROP_BLACKNESS: return FillRect(area, 0);
    case ROP_WHITENESS: return FillRect(area, MakeColorRef(255, 255, 255));
    case ROP_DSTINVERT: break;
    default: return false;
    }
    Rect r = area.Intersect(Visible());
    for (int32_t py = r.top; py < r.bottom; ++py)
        for (uint32_t* p = target_->Row(py) + r.left; p < target_->Row(py) + r.right; ++p) *p = Invert(*p);
    return true;
}

bool DeviceContext::SetPixel(int32_t x, int32_t y, ColorRef colour)
{
    return FillRect({x, y, x + 1, y + 1}, colour);
}

bool DeviceContext::Polyline(const Point* points, size_t count)
{
    if (!target_ || !target_->Valid() || !points || count < 2) return false;
    Rect vis = Visible();
    uint32_t px = ArgbFromColorRef(pen_);
    auto plot = [&](int32_t x, int32_t y) {
        if (x >= vis.left && x < vis.right && y >= vis.top && y < vis.bottom) target_->Row(y)[x] = px;
    };
    for (size_t i = 0; i + 1 < count; ++i) {
        int32_t x0 = points[i].x, y0 = points[i].y, x1 = points[i + 1].x, y1 = points[i + 1].y;
        int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        while (x0 != x1 || y0 != y1) {  // each segment stops short of its end
            plot(x0, y0);
            int32_t e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    return true;
}

bool DeviceContext::GradientTriangle(const TriVertex& a, const TriVertex& b, const TriVertex& c)
{
    if (!target_ || !target_->Valid()) return false;
    // Doubled coordinates put pixel centres on whole numbers.
    int64_t ax = 2 * int64_t(a.x), ay = 2 * int64_t(a.y), bx = 2 * int64_t(b.x), by = 2 * int64_t(b.y);
    int64_t cx = 2 * int64_t(c.x), cy = 2 * int64_t(c.y);
    int64_t area = Edge(ax, ay, bx, by, cx, cy);
    if (area == 0) return true;
    Rect box{std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}), std::max({a.x, b.x, c.x}),
             std::max({a.y, b.y, c.y})};
    Rect r = box.Intersect(Visible());
    const TriVertex* v[3] = {&a, &b, &c};
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint32_t* row = target_->Row(y);
        for (int32_t x = r.left; x < r.right; ++x) {
            int64_t px = 2 * int64_t(x) + 1, py = 2 * int64_t(y) + 1;
            int64_t w[3] = {Edge(bx, by, cx, cy, px, py), Edge(cx, cy, ax, ay, px, py),
                            Edge(ax, ay, bx, by, px, py)};
            if (area < 0) w[0] = -w[0], w[1] = -w[1], w[2] = -w[2];
            if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
            int64_t total = w[0] + w[1] + w[2];
            auto mix = [&](uint16_t TriVertex::*ch) {
                int64_t s = w[0] * (v[0]->*ch) + w[1] * (v[1]->*ch) + w[2] * (v[2]->*ch);
                return uint32_t((s / total) >> 8);
            };
            row[x] = 0xFF000000u | (mix(&TriVertex::red) << 16) | (mix(&TriVertex::green) << 8) |
                     mix(&TriVertex::blue);
        }
    }
    return true;
}

void DeviceContext::PaintGlyphs(const typeface::TextLayout& layout, const Rect& clip)
{
    const typeface::Typeface* face = Font();
    uint32_t colour = ArgbFromColorRef(text_);
    typeface::ForEachGlyphBitmap(*face, layout, [&](const typeface::Glyph& g, int32_t gx, int32_t gy) {
        Rect r = Rect{gx, gy, gx + g.width, gy + g.height}.Intersect(clip);
        for (int32_t y = r.top; y < r.bottom; ++y) {
            const uint8_t* cov = g.coverage.data() + size_t(y - gy) * size_t(g.width) - size_t(gx);
            uint32_t* row = target_->Row(y);
            for (int32_t x = r.left; x < r.right; ++x)
                if (cov[x]) row[x] = Blend(row[x], colour, cov[x]);
        }
    });
}

bool DeviceContext::TextOut(int32_t x, int32_t y, std::string_view text)
{
    const typeface::Typeface* face = Font();
    if (!target_ || !target_->Valid() || !face) return false;
    typeface::TextRect at{x, y, x + face->TextWidth(text), y + face->LineHeight()};
    typeface::TextLayout layout =
        typeface::LayoutText(*face, text, at, typeface::TEXT_SINGLELINE | typeface::TEXT_NOCLIP);
    // False only without a bitmap to draw on: then nothing is drawn.
    if (bkMode_ == BKMODE_OPAQUE && !text.empty()) (void)FillRect({at.left, at.top, at.right, at.bottom}, bk_);
    PaintGlyphs(layout, Visible());
    return true;
}

int32_t DeviceContext::DrawText(std::string_view text, Rect& rect, uint32_t format)
{
    const typeface::Typeface* face = Font();
    if (!face) return 0;
    typeface::TextRect tr{rect.left, rect.top, rect.right, rect.bottom};
    typeface::TextLayout layout = typeface::LayoutText(*face, text, tr, format);
    const typeface::TextRect& b = layout.bounds;
    if (format & typeface::TEXT_CALCRECT) {
        rect = {b.left, b.top, b.right, b.bottom};
        return b.Height();
    }
    if (!target_ || !target_->Valid()) return 0;
    Rect clip = Visible();
    if (layout.clipped) clip = clip.Intersect(rect);
    if (bkMode_ == BKMODE_OPAQUE && !layout.glyphs.empty()) {
        // False only without a bitmap to draw on: then nothing is drawn.
        (void)FillRect(Rect{b.left, b.top, b.right, b.bottom}.Intersect(clip), bk_);
    }
    PaintGlyphs(layout, clip);
    return b.Height();
}

bool DeviceContext::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, const DeviceContext& src, int32_t sx,
                           int32_t sy, uint32_t rop)
{
    if (rop != ROP_SRCCOPY) return PatBlt(x, y, w, h, rop);
    return StretchBlt(x, y, w, h, src, sx, sy, w, h, rop);
}

bool DeviceContext::StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const DeviceContext& src,
                               int32_t sx, int32_t sy, int32_t sw, int32_t sh, uint32_t rop)
{
    if (!target_ || !target_->Valid() || !src.target_ || !src.target_->Valid()) return false;
    if (rop != ROP_SRCCOPY) return PatBlt(x, y, w, h, rop);
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return false;
    // Copying within one bitmap reads from a snapshot so overlapping areas
    // are not smeared.
    Bitmap snapshot;
    if (src.target_ == target_) {
        // The target is valid, so its own size always fits.
        if (!snapshot.Create(target_->Width(), target_->Height())) return false;
        for (int32_t yy = 0; yy < target_->Height(); ++yy)
            std::copy(target_->Row(yy), target_->Row(yy) + target_->Width(), snapshot.Row(yy));
    }
    const Bitmap& from = src.target_ == target_ ? snapshot : *src.target_;
    Rect r = Rect{x, y, x + w, y + h}.Intersect(Visible());
    bool average = stretchMode_ == STRETCH_HALFTONE && (sw > w || sh > h);
    for (int32_t py = r.top; py < r.bottom; ++py) {
        int64_t y0 = sy + int64_t(py - y) * sh / h;
        int64_t y1 = average ? std::max(y0 + 1, sy + int64_t(py - y + 1) * sh / h) : y0 + 1;
        uint32_t* row = target_->Row(py);
        for (int32_t px = r.left; px < r.right; ++px) {
            int64_t x0 = sx + int64_t(px - x) * sw / w;
            int64_t x1 = average ? std::max(x0 + 1, sx + int64_t(px - x + 1) * sw / w) : x0 + 1;
            uint64_t sum[4] = {0, 0, 0, 0}, n = 0;
            for (int64_t yy = std::max<int64_t>(y0, 0); yy < std::min<int64_t>(y1, from.Height()); ++yy)
                for (int64_t xx = std::max<int64_t>(x0, 0); xx < std::min<int64_t>(x1, from.Width()); ++xx) {
                    uint32_t s = from.Row(int32_t(yy))[xx];
                    for (int c = 0; c < 4; ++c) sum[c] += (s >> (8 * c)) & 0xFF;
                    ++n;
                }
            if (n == 0) continue;  // source pixel outside its bitmap: left as it is
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c) out |= uint32_t(sum[c] / n) << (8 * c);
            row[px] = out;
        }
    }
    return true;
}

}  // namespace plat::gdi

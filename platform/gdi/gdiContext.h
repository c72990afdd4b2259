// Device context over a 32-bit bitmap: solid fills, inversion, one-pixel
// lines, gradient triangles, a rectangular clip region, text and copies.
// Everything it paints is opaque; inversion keeps the alpha it finds.
#pragma once
#include <cstdint>
#include <string_view>

#include "gdiBitmap.h"
#include "tfFace.h"

namespace plat::gdi {

class DeviceContext {
public:
    DeviceContext() = default;
    explicit DeviceContext(Bitmap* target) : target_(target) {}

    // The bitmap drawn on; the previous one is returned.
    Bitmap* SelectBitmap(Bitmap* target);
    Bitmap* Target() const { return target_; }

    ColorRef SetBrushColor(ColorRef c) { return Swap(brush_, c); }
    ColorRef SetPenColor(ColorRef c) { return Swap(pen_, c); }
    ColorRef SetTextColor(ColorRef c) { return Swap(text_, c); }
    ColorRef SetBkColor(ColorRef c) { return Swap(bk_, c); }
    int32_t SetBkMode(int32_t mode) { return Swap(bkMode_, mode); }
    int32_t SetStretchBltMode(int32_t mode) { return Swap(stretchMode_, mode); }
    // The face text is drawn with; none selects the context's default face.
    const typeface::Typeface* SelectFont(const typeface::Typeface* face) { return Swap(font_, face); }
    const typeface::Typeface* Font() const;

    // A clip rectangle replaces the region; an empty one or ClearClip ends
    // clipping. GetClipRect is false while there is no region.
    void SetClipRect(const Rect& r);
    void ClearClip() { hasClip_ = false; }
    bool GetClipRect(Rect& out) const;

    // Drawing returns false without a bitmap.
    [[nodiscard]] bool FillRect(const Rect& r, ColorRef colour);
    [[nodiscard]] bool PatBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop);
    [[nodiscard]] bool SetPixel(int32_t x, int32_t y, ColorRef colour);
    // One-pixel lines in the pen colour from point to point; the last point
    // itself is not painted.
    [[nodiscard]] bool Polyline(const Point* points, size_t count);
    // Colours interpolated across the triangle for every pixel whose centre
    // lies inside it.
    [[nodiscard]] bool GradientTriangle(const TriVertex& a, const TriVertex& b, const TriVertex& c);

    // One line of text with its top-left corner at (x, y).
    [[nodiscard]] bool TextOut(int32_t x, int32_t y, std::string_view text);
    // Laid out with the format bits of typeface::LayoutText; returns the
    // text's height. With TEXT_CALCRECT only the rectangle is updated.
    int32_t DrawText(std::string_view text, Rect& rect, uint32_t format);

    // Copies from another context's bitmap; the rectangles are clipped to
    // both bitmaps and the clip region.
    [[nodiscard]] bool BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, const DeviceContext& src, int32_t sx,
                int32_t sy, uint32_t rop = ROP_SRCCOPY);
    [[nodiscard]] bool StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const DeviceContext& src, int32_t sx,
                    int32_t sy, int32_t sw, int32_t sh, uint32_t rop = ROP_SRCCOPY);

private:
    template <class T> static T Swap(T& slot, T value)
    {
        T old = slot;
        slot = value;
        return old;
    }
    Rect Visible() const;  // bitmap bounds within the clip region
    void PaintGlyphs(const typeface::TextLayout& layout, const Rect& clip);

    Bitmap* target_ = nullptr;
    ColorRef brush_ = MakeColorRef(255, 255, 255);
    ColorRef pen_ = 0;
    ColorRef text_ = 0;
    ColorRef bk_ = MakeColorRef(255, 255, 255);
    int32_t bkMode_ = BKMODE_OPAQUE;
    int32_t stretchMode_ = STRETCH_COLORONCOLOR;
    const typeface::Typeface* font_ = nullptr;
    bool hasClip_ = false;
    Rect clip_;
};

}  // namespace plat::gdi

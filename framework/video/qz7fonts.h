// Measures and draws text for every widget: TQZFont and its three kinds (a
// system typeface drawn from a glyph texture of the device, a bitmap font
// read from a `.qz7` file, and a device-context font for the GDI back end),
// and TQZFonts, the cache that hands fonts out by face, size and flags.
#pragma once

#include "qz7core.h"
#include "qz7fontfile.h"
#include "qz7texture.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TQZVideo;
namespace plat::typeface {
class Typeface;
class GlyphAtlas;
}  // namespace plat::typeface

// Font flags.
constexpr uint32_t QZFONT_ITALIC = 0x1;
constexpr uint32_t QZFONT_BOLD = 0x2;

// Draw flags.
constexpr uint32_t QZTEXT_LEFT = 0x01;
constexpr uint32_t QZTEXT_CENTER = 0x02;
constexpr uint32_t QZTEXT_RIGHT = 0x04;
constexpr uint32_t QZTEXT_VCENTER = 0x10;
constexpr uint32_t QZTEXT_BOTTOM = 0x20;
constexpr uint32_t QZTEXT_WORDWRAP = 0x40;
constexpr uint32_t QZTEXT_JUSTIFY = 0x80;

// The colour key of `.qz7` font textures (opaque magenta).
constexpr TQZColour QZ7FONT_COLOURKEY = 0xFFFF00FF;

class TQZFont : public TQZClass {
public:
    TQZFont(const std::string& face, int32_t size);
    ~TQZFont() override = default;

    virtual int32_t CharWidth(uint8_t ch);
    virtual int32_t TextHeight(const std::string& text);
    virtual int32_t TextWidth(const std::string& text);
    virtual void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour);
    virtual void DrawTextColoured(const TQZRect& rect, const std::string& text, uint32_t flags,
                                  const std::vector<TQZColour>& colours, const std::vector<int32_t>& positions);
    virtual bool SupportsBackEnd(int32_t kind);
    virtual int32_t GetMetric() { return 0; }
    virtual void Unload();
    int32_t LineHeight() { return TextHeight("."); }

    uint32_t flags = 0;
    std::string face;
    int32_t size = 0;
    TQZVideo* video = nullptr;  // nullptr: the current one

protected:
    TQZRenderCache* DrawCache() const;
};

// A bitmap font: 96 glyphs of one texture, read from a `.qz7` file.
class TQZFontTexture : public TQZFont {
public:
    struct Glyph {
        int32_t advance = 0;
        TQZRect rect;  // in texture pixels
    };

    explicit TQZFontTexture(const std::string& fileName);
    ~TQZFontTexture() override;
    // 0, 4 for an unreadable font file or texture, 1 for a bad file.
    int32_t LoadResult() const { return loadResult_; }

    int32_t CharWidth(uint8_t ch) override;
    int32_t TextHeight(const std::string& text) override;
    int32_t TextWidth(const std::string& text) override;
    void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) override;
    void DrawTextColoured(const TQZRect& rect, const std::string& text, uint32_t flags,
                          const std::vector<TQZColour>& colours, const std::vector<int32_t>& positions) override;
    bool SupportsBackEnd(int32_t kind) override { return kind == 0; }
    int32_t GetMetric() override { return lineGap_; }
    void Unload() override;

    const Glyph& GlyphOf(uint8_t ch) const { return glyphs_[size_t(ch - QZ7FONT_FIRST_CODE)]; }
    TQZTexture* Texture() const { return texture_.get(); }
    // The lines the wrapped drawing makes for a width.
    std::vector<std::string> WrapLines(const std::string& text, int32_t width);

private:
    [[nodiscard]] int32_t Load(const std::string& fileName);
    TQZPoint PenStart(const TQZRect& r, const std::string& text, uint32_t flags);
    void DrawWrapped(const TQZRect& r, const std::string& text, uint32_t flags, TQZColour colour);

    std::array<Glyph, QZ7FONT_GLYPHS> glyphs_{};
    int32_t lineHeight_ = 0;
    int32_t lineGap_ = 0;
    float scale_ = 1.0f;
    std::unique_ptr<TQZTexture> texture_;
    int32_t loadResult_ = QZRES_OK;
};

// A system typeface: glyphs packed into one device texture and drawn as
// quads straight through the device, between the render cache's batches.
class TQZFontTrueType : public TQZFont {
public:
    TQZFontTrueType(const std::string& face, uint32_t flags, int32_t size);
    ~TQZFontTrueType() override;
    bool Valid() const { return typeface_ != nullptr && atlas_ != nullptr; }

    int32_t TextHeight(const std::string& text) override;
    int32_t TextWidth(const std::string& text) override;
    void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) override;
    bool SupportsBackEnd(int32_t kind) override { return kind == 0; }
    void Unload() override;
    const plat::typeface::Typeface* Typeface() const { return typeface_.get(); }

private:
    std::unique_ptr<plat::typeface::Typeface> typeface_;
    std::unique_ptr<plat::typeface::GlyphAtlas> atlas_;
    std::unique_ptr<TQZTexture> texture_;
};

// A device-context font for the GDI back end: drawn on the video's DC.
class TQZFontGDI : public TQZFont {
public:
    TQZFontGDI(const std::string& face, int32_t size);
    ~TQZFontGDI() override;
    bool Valid() const { return typeface_ != nullptr; }

    int32_t TextHeight(const std::string& text) override;
    int32_t TextWidth(const std::string& text) override;
    void DrawText(const TQZRect& rect, const std::string& text, uint32_t flags, TQZColour colour) override;
    bool SupportsBackEnd(int32_t) override { return true; }
    void Unload() override;

private:
    std::unique_ptr<plat::typeface::Typeface> typeface_;
};

// The text format of a device text call for the draw flags.
uint32_t TextFormatOf(uint32_t flags);

class TQZFonts : public TQZClassSingleton {
public:
    ~TQZFonts() override;
    void Initialise() override;
    TQZFont* GetFont(const std::string& face, int32_t size, uint32_t flags);
    TQZFont* GetFontPlain(const std::string& face, int32_t size) { return GetFont(face, size, 0); }
    // Index in the list, or -1.
    int32_t FindFont(const std::string& face, int32_t size, uint32_t flags);
    TQZFont* DefaultFont();
    int32_t Count() const { return int32_t(fonts_.size()); }

    // A later request for the face and size loads this file (a `.qz7` font;
    // other files leave the face to the system's typefaces).
    void RegisterFont(const std::string& file, const std::string& face, int32_t size);
    // The font of the same face and size with the bold flag.
    TQZFont* GetBoldFont(TQZFont* font);
    // Another name for the plain font of a face and size, kept upper-cased;
    // registering an alias again points it at the new font.
    void RegisterFontAlias(const std::string& alias, const std::string& face, int32_t size);
    // The font an alias names (any case); nullptr when none.
    TQZFont* FontByAlias(const std::string& alias) const;

private:
    struct Registration {
        std::string file, face;
        int32_t size = 0;
    };
    std::unique_ptr<TQZFont> MakeRegistered(const std::string& face, int32_t size, uint32_t flags);

    std::vector<std::unique_ptr<TQZFont>> fonts_;
    TQZFont* default_ = nullptr;
    std::vector<Registration> registered_;
    std::vector<std::pair<std::string, TQZFont*>> aliases_;
};

TQZFonts* GetFonts();

// The monitor scale the default font follows; nullptr restores the one of
// the video's window (or the desktop's).
using TQZMonitorScaleProc = float (*)();
void SetFontMonitorScaleProc(TQZMonitorScaleProc proc);

// Left-aligned text in the font list's default font (nothing when there is none).
void DrawTextDefaultFont(const std::string& text, const TQZRect& rect, TQZColour colour);

#include "qz7fonts.h"

#include <cstring>

#include "qz7videogdi.h"
#include "mediatestutil.h"
#include "testutil.h"

namespace im = plat::imaging;

namespace {

using vqtest::Bytes;
const auto Put = vqtest::PutLE32;
const auto PutFloat = vqtest::PutFloatLE;

// A font whose texture is 64 x 16: the left half white, the right half the
// key colour. 'A' draws the white half, every other glyph the keyed half.
// Advances: 'B' 12, space 6, all others 10. Line height 16, gap 4.
Bytes FontFile(bool embedded, const std::string& textureName = "")
{
    Bytes b = {'Q', 'Z', '7', 'f'};
    Put(b, 4, 16);
    Put(b, 8, 32);
    Put(b, 12, 1920);
    Put(b, 24, 4);
    for (uint32_t n = 0; n < 96; ++n) {
        size_t r = 32 + 20 * n;
        char ch = char(32 + n);
        Put(b, r, ch == 'B' ? 12 : ch == ' ' ? 6 : 10);
        bool white = ch == 'A';
        PutFloat(b, r + 4, white ? 0.0f : 0.5f);
        PutFloat(b, r + 8, 0.0f);
        PutFloat(b, r + 12, white ? 0.5f : 1.0f);
        PutFloat(b, r + 16, 1.0f);
    }
    if (embedded) {
        Put(b, 16, 0);
        Put(b, 20, uint32_t(b.size()));
        im::Image img;
        (void)img.Allocate(64, 16, 0xFFFF00FF);  // setup: what the test checks after it shows whether it took
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) img.SetPixel(x, y, 0xFFFFFFFF);
        Bytes png;
        // Setup: what the test checks after it shows whether it took.
        (void)im::EncodeImage(img, im::EncodeFormat::Png, png);
        b.insert(b.end(), png.begin(), png.end());
    } else {
        Put(b, 16, uint32_t(b.size()));
        Put(b, 20, uint32_t(textureName.size()));
        b.insert(b.end(), textureName.begin(), textureName.end());
    }
    return b;
}

class FontTest : public mediatest::VideoFixture {
protected:
    vqtest::TempDir dir;

    std::unique_ptr<TQZFontTexture> Load(const Bytes& bytes, const std::string& name = "font.qz7")
    {
        vqtest::WriteFile(dir.File(name), std::string(bytes.begin(), bytes.end()));
        return std::make_unique<TQZFontTexture>(dir.File(name));
    }
    // Commands of a recording cache selected while the function runs.
    std::vector<int32_t> Recorded(const std::function<void()>& draw)
    {
        auto cache = TQZRenderCache::Create(64, false);
        video->SelectRenderCache(cache.get());
        draw();
        cache->FlushBatch();
        video->SelectRenderCache(nullptr);
        std::vector<int32_t> kinds;
        for (const TQZRenderCommand& c : cache->Commands()) kinds.push_back(c.kind);
        return kinds;
    }
    int Lit(const TQZRect& r, uint32_t background = 0xFF000000)
    {
        int n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) n += BackPixel(x, y) != background;
        return n;
    }
};

}  // namespace

TEST_F(FontTest, TextureFontMeasures)
{
    auto f = Load(FontFile(true));
    ASSERT_EQ(QZRES_OK, f->LoadResult());
    EXPECT_EQ(16, f->size);
    EXPECT_EQ(4, f->GetMetric());
    EXPECT_EQ(8, f->CharWidth('A'));  // advance 10
    EXPECT_EQ(18, f->TextWidth("AB"));
    EXPECT_EQ(0, f->CharWidth(200));
    EXPECT_EQ(0, f->CharWidth(10));
    EXPECT_EQ(18, f->TextWidth(std::string("A\nB") + char(200)));
    EXPECT_EQ(16, f->TextHeight("x"));
    EXPECT_EQ(0, f->TextHeight(""));
    EXPECT_EQ(16, f->LineHeight());
    EXPECT_TRUE(f->SupportsBackEnd(0));
    EXPECT_FALSE(f->SupportsBackEnd(1));
    EXPECT_EQ(64, f->Texture()->GetWidth());
    EXPECT_EQ((TQZRect{0, 0, 32, 16}), f->GlyphOf('A').rect);
}

TEST_F(FontTest, TextureFontFilesThatCannotServeAreRefused)
{
    Bytes badMagic = FontFile(true);
    badMagic[0] = 'X';
    Bytes tableOutside = FontFile(true);
    Put(tableOutside, 12, 100000);
    Bytes junkImage = FontFile(true);
    junkImage.resize(32 + 1920 + 10);
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t result;
    };
    const Case cases[] = {
        {"bad magic", badMagic, QZRES_FAILED},
        {"glyph table outside", tableOutside, QZRES_FAILED},
        {"embedded image damaged", junkImage, QZRES_NOFILE},
        {"named texture missing", FontFile(false, "nothing.png"), QZRES_NOFILE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = Load(c.bytes);
        EXPECT_EQ(c.result, f->LoadResult());
        EXPECT_EQ(nullptr, f->Texture());
        f->video = video;  // outside a frame: draw on the video's cache
        EXPECT_TRUE(Recorded([&] { f->DrawText({0, 0, 100, 20}, "AAA", 0, 0xFFFFFFFF); }).empty());
    }
    TQZFontTexture missing(dir.File("none.qz7"));
    EXPECT_EQ(QZRES_NOFILE, missing.LoadResult());
}

TEST_F(FontTest, NamedTexturesAreFoundBesideTheFontFile)
{
    im::Image img;
    (void)img.Allocate(64, 16, 0xFFFFFFFF);  // setup: what the test checks after it shows whether it took
    Bytes png = Png(img);
    vqtest::WriteFile(dir.File("glyphs.png"), std::string(png.begin(), png.end()));
    auto f = Load(FontFile(false, "glyphs.png"));
    EXPECT_EQ(QZRES_OK, f->LoadResult());
    ASSERT_NE(nullptr, f->Texture());
}

TEST_F(FontTest, TextureFontDrawsGlyphQuadsClippedOnlyWhenTooWide)
{
    auto f = Load(FontFile(true));
    f->video = video;  // outside a frame: draw on the video's cache
    std::vector<int32_t> fits = Recorded([&] { f->DrawText({0, 0, 100, 20}, "AB", 0, 0xFFFFFFFF); });
    EXPECT_EQ((std::vector<int32_t>{QZCMD_TEXTURE, QZCMD_RENDERSTATE, QZCMD_RENDERSTATE, QZCMD_RENDERSTATE,
                                    QZCMD_DRAW}),
              fits);
    std::vector<int32_t> wide = Recorded([&] { f->DrawText({0, 0, 10, 20}, "AB", 0, 0xFFFFFFFF); });
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(QZCMD_PUSHCLIP, wide.front());
    EXPECT_EQ(QZCMD_POPCLIP, wide.back());
    f->video = nullptr;

    ASSERT_TRUE(Frame([&](TQZVideo*) {
        f->DrawText({10, 10, 100, 30}, "A\x0A" "A", 0, 0xFF00FF00);         // the line feed does not move the pen
        f->DrawText({10, 40, 100, 60}, "AA", QZTEXT_RIGHT | QZTEXT_BOTTOM, 0xFFFFFFFF);
        f->DrawText({10, 70, 14, 86}, "A", 0, 0xFFFFFFFF);                   // clipped to 4 pixels
    }));
    // First "A" covers x 10..19, the second starts at 18 (advance - 2): 10..27 green.
    EXPECT_EQ(0xFF00FF00u, BackPixel(10, 10));
    EXPECT_EQ(0xFF00FF00u, BackPixel(27, 25));
    EXPECT_EQ(0xFF000000u, BackPixel(28, 10));
    EXPECT_EQ(0xFF000000u, BackPixel(10, 26));
    // Right and bottom: the text measures 16 x 16, so its pen starts at 84, 44.
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(99, 59));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(84, 44));
    EXPECT_EQ(0xFF000000u, BackPixel(83, 44));
    EXPECT_EQ(0xFF000000u, BackPixel(84, 43));

    EXPECT_EQ(4 * 16, Lit({0, 66, 40, 90}));
}

TEST_F(FontTest, WrappingSplitsAtSpacesAndCutsLongWords)
{
    auto f = Load(FontFile(true));  // CharWidth 8 for letters, 4 for a space
    struct Case {
        std::string text;
        int32_t width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"abcd efgh", 6 * 8 + 1, {"abcd", "efgh"}},
        {"abcdefghij", 6 * 8 + 1, {"abcde", "fghij"}},
        {"ab\r\ncd", 200, {"ab", "cd"}},
        {"ab cd", 200, {"ab cd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.lines, f->WrapLines(c.text, c.width));
    }
    // Wrapped drawing: two lines 16 high, 4 apart, bottom-aligned in 0..60.
    ASSERT_TRUE(Frame([&](TQZVideo*) { f->DrawText({0, 0, 49, 60}, "AAAA AAAA", QZTEXT_WORDWRAP | QZTEXT_BOTTOM, 0xFFFFFFFF); }));
    EXPECT_EQ(0xFF000000u, BackPixel(0, 19));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(0, 20));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(0, 35));
    EXPECT_EQ(0xFF000000u, BackPixel(0, 37));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(0, 40));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(0, 55));
}

TEST_F(FontTest, ColouredTextChangesColourAtItsPositions)
{
    auto f = Load(FontFile(true));
    ASSERT_TRUE(Frame([&](TQZVideo*) {
        f->DrawTextColoured({0, 0, 100, 16}, "AAA", 0, {0xFFFF0000, 0xFF0000FF}, {1, 3});
    }));
    EXPECT_EQ(0xFFFF0000u, BackPixel(1, 1));
    EXPECT_EQ(0xFFFF0000u, BackPixel(15, 1));   // second glyph: x 8..17
    EXPECT_EQ(0xFF0000FFu, BackPixel(17, 1));   // third glyph from 16 on, drawn over
    EXPECT_EQ(0xFF0000FFu, BackPixel(25, 1));
}

TEST_F(FontTest, SystemFontsMeasureAndDrawInsideTheirRectangle)
{
    TQZFonts* fonts = GetFonts();
    ASSERT_NE(nullptr, fonts);
    TQZFont* arial = fonts->GetFont("Arial", 16, 0);
    ASSERT_NE(nullptr, arial);
    EXPECT_EQ(arial, fonts->GetFont("arial", 16, 0));
    EXPECT_NE(arial, fonts->GetFont("Arial", 16, QZFONT_BOLD));
    EXPECT_EQ(nullptr, fonts->GetFont("Arial", 0, 0));
    EXPECT_GT(arial->TextWidth("Hello"), arial->TextWidth("Hell"));
    EXPECT_GT(arial->TextWidth("a "), arial->TextWidth("a"));  // a trailing space counts
    EXPECT_GE(arial->TextHeight("x"), 16);
    EXPECT_EQ(0, arial->TextHeight(""));
    EXPECT_EQ(2 * arial->TextHeight("x"), arial->TextHeight("x\ny"));

    int64_t callsBefore = 0, callsAfter = 0, triangles = 0;
    ASSERT_TRUE(Frame([&](TQZVideo* v) {
        v->FillRect({0, 0, 4, 4}, 0xFF00FF00);  // pending before the text
        callsBefore = Direct3DDevice()->drawCalls;
        int32_t trianglesBefore = Direct3DDevice()->triangles;
        arial->DrawText({10, 10, 110, 40}, "Hello", QZTEXT_CENTER | QZTEXT_BOTTOM, 0xFFFFFFFF);
        callsAfter = Direct3DDevice()->drawCalls;
        triangles = Direct3DDevice()->triangles - trianglesBefore;
        arial->DrawText({10, 50, 30, 70}, "Wide text here", 0, 0xFFFFFFFF);
    }));
    EXPECT_EQ(0xFF00FF00u, BackPixel(1, 1));
    EXPECT_GE(callsAfter - callsBefore, 2);  // the pending quad, then the text
    EXPECT_GE(triangles, 10);
    int32_t h = arial->TextHeight("Hello"), w = arial->TextWidth("Hello");
    TQZRect ink{10 + (100 - w) / 2, 40 - h, 10 + (100 - w) / 2 + w + 1, 40};
    EXPECT_GT(Lit(ink), 20);
    EXPECT_EQ(Lit({10, 10, 110, 40}), Lit(ink));
    EXPECT_GT(Lit({10, 50, 30, 70}), 10);
    EXPECT_EQ(0, Lit({30, 50, 128, 70}));  // clipped at the rectangle's right edge
}

TEST_F(FontTest, DefaultFontFollowsTheMonitorScale)
{
    SetFontMonitorScaleProc([] { return 1.5f; });
    TQZFont* f = GetFonts()->DefaultFont();
    SetFontMonitorScaleProc(nullptr);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ("Segoe UI", f->face);
    EXPECT_EQ(18, f->size);
    EXPECT_EQ(f, GetFonts()->DefaultFont());
}

TEST_F(FontTest, DeviceContextBackEnd)
{
    TQZVideoGDI* gdiVideo = GetVideoGDI();
    ASSERT_NE(nullptr, gdiVideo);
    auto window = std::make_unique<TQZHeadlessVideoWindow>(0, 0);
    TQZHeadlessVideoWindow* shownOn = window.get();
    ASSERT_EQ(QZRES_OK, gdiVideo->SetMode(64, 48, std::move(window), 0, 0));
    EXPECT_EQ(QZVIDEO_BACKEND_GDI, gdiVideo->BackEndKind());
    EXPECT_EQ(QZRES_FAILED, gdiVideo->FillRect({0, 0, 4, 4}, 0xFFFFFFFF));  // outside a paint
    TQZFontGDI font("Arial", 14);
    ASSERT_TRUE(font.Valid());
    EXPECT_TRUE(font.SupportsBackEnd(0));
    EXPECT_TRUE(font.SupportsBackEnd(1));
    static std::function<void(TQZVideo*)> draw;
    draw = [&](TQZVideo* v) {
        v->FillRect({0, 0, 64, 48}, 0x80FF0000);   // alpha dropped: opaque red
        v->PushClip({0, 0, 8, 8});
        v->PushClip({0, 0, 16, 16});
        v->PopClip();                               // not a stack: no clipping at all
        v->FillRect({20, 20, 24, 24}, 0xFF0000FF);
        EXPECT_EQ((TQZRect{}), v->GetClipRect());
        v->PushClip({30, 0, 34, 4});
        EXPECT_EQ((TQZRect{30, 0, 34, 4}), v->GetClipRect());
        v->FillRect({28, 0, 40, 10}, 0xFF00FF00);
        v->PopClip();
        v->InvertRect({0, 40, 4, 44});
        v->FillGradient({40, 20, 60, 40}, 0xFFFFFFFF, 1, 0xFF000000);  // white at the top
        EXPECT_EQ(QZRES_BADARG, v->FillTriangle({{0, 0}, {1, 1}}, 0xFFFFFFFF));
        font.DrawText({0, 24, 20, 40}, "Hi", QZTEXT_LEFT, 0xFFFFFFFF);
    };
    gdiVideo->drawProc = [](TQZVideo* v) { draw(v); };
    ASSERT_TRUE(gdiVideo->Redraw());
    EXPECT_EQ(1, shownOn->presented);
    plat::gdi::Bitmap* shown = gdiVideo->WindowSurface()->BitmapPixels();
    EXPECT_EQ(0xFFFF0000u, shown->Pixel(0, 0));
    EXPECT_EQ(0xFF0000FFu, shown->Pixel(21, 21));
    EXPECT_EQ(0xFF00FF00u, shown->Pixel(31, 1));
    EXPECT_EQ(0xFFFF0000u, shown->Pixel(29, 1));
    EXPECT_EQ(0xFF00FFFFu, shown->Pixel(1, 41));
    uint32_t top = shown->Pixel(50, 20), bottom = shown->Pixel(50, 39);
    EXPECT_GT(top & 0xFF, 200u);
    EXPECT_LT(bottom & 0xFF, 40u);
    int text = 0;
    for (int y = 24; y < 40; ++y)
        for (int x = 0; x < 20; ++x) text += shown->Pixel(x, y) != 0xFFFF0000u;
    EXPECT_GT(text, 10);
}

TEST_F(FontTest, RegisteredFontFilesServeTheirFaceAndSize)
{
    const Bytes bytes = FontFile(true);
    vqtest::WriteFile(dir.File("mini.qz7"), std::string(bytes.begin(), bytes.end()));
    TQZFonts* fonts = GetFonts();
    fonts->RegisterFont(dir.File("mini.qz7"), "MiniSquare", 10);
    TQZFont* plain = fonts->GetFontPlain("minisquare", 10);
    ASSERT_NE(nullptr, plain);
    EXPECT_NE(nullptr, dynamic_cast<TQZFontTexture*>(plain));
    EXPECT_EQ("MiniSquare", plain->face);
    EXPECT_EQ(10, plain->size);
    EXPECT_EQ(plain, fonts->GetFontPlain("MiniSquare", 10));
    TQZFont* bold = fonts->GetBoldFont(plain);
    ASSERT_NE(nullptr, bold);
    EXPECT_NE(plain, bold);
    EXPECT_EQ(QZFONT_BOLD, bold->flags);
    EXPECT_EQ(nullptr, fonts->GetBoldFont(nullptr));
}

TEST_F(FontTest, AliasesAreUpperCasedAndPointAtTheLatestFont)
{
    const Bytes bytes = FontFile(true);
    vqtest::WriteFile(dir.File("a.qz7"), std::string(bytes.begin(), bytes.end()));
    vqtest::WriteFile(dir.File("b.qz7"), std::string(bytes.begin(), bytes.end()));
    TQZFonts* fonts = GetFonts();
    fonts->RegisterFont(dir.File("a.qz7"), "FaceA", 10);
    fonts->RegisterFont(dir.File("b.qz7"), "FaceB", 12);
    fonts->RegisterFontAlias("small", "FaceA", 10);
    EXPECT_EQ(fonts->GetFontPlain("FaceA", 10), fonts->FontByAlias("SMALL"));
    fonts->RegisterFontAlias("Small", "FaceB", 12);
    EXPECT_EQ(fonts->GetFontPlain("FaceB", 12), fonts->FontByAlias("small"));
    EXPECT_EQ(nullptr, fonts->FontByAlias("none"));
}

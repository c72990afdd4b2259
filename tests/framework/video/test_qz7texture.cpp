#include "qz7texture.h"

#include <cmath>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mediatestutil.h"
#include "testutil.h"

namespace im = plat::imaging;

namespace {

class TextureTest : public mediatest::VideoFixture {
protected:
    // A texture from an image whose pixel (x, y) is given by the function.
    std::unique_ptr<TQZTexture> Make(int32_t w, int32_t h, const std::function<uint32_t(int, int)>& px,
                                     TQZColour key = 0)
    {
        im::Image img;
        EXPECT_TRUE(img.Allocate(w, h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.SetPixel(x, y, px(x, y));
        std::vector<uint8_t> png = Png(img);
        return TQZTexture::CreateFromMemory(png.data(), int32_t(png.size()), key);
    }
};

// Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
uint32_t Quadrants(int x, int y, int w, int h)
{
    static const uint32_t c[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    return c[(y >= h / 2) * 2 + (x >= w / 2)];
}

void ExpectCoords(const TQZRectF& got, const TQZRectF& want)
{
    EXPECT_FLOAT_EQ(want.left, got.left);
    EXPECT_FLOAT_EQ(want.top, got.top);
    EXPECT_FLOAT_EQ(want.right, got.right);
    EXPECT_FLOAT_EQ(want.bottom, got.bottom);
}

}  // namespace

TEST_F(TextureTest, SourceRectanglesBecomeTextureCoordinates)
{
    auto t = Make(100, 50, [](int, int) { return 0xFF000000u; });
    ASSERT_TRUE(t);
    ExpectCoords(t->TextureCoords({10, 10, 20, 20}), {0.1f, 0.2f, 0.2f, 0.4f});

    auto big = Make(256, 256, [](int, int) { return 0xFF000000u; });
    TQZTextureSubrect sub(big.get(), {64, 0, 128, 64});
    EXPECT_EQ(64, sub.GetWidth());
    EXPECT_EQ(64, sub.GetHeight());
    EXPECT_EQ(big->DeviceTexture(), sub.DeviceTexture());
    ExpectCoords(sub.TextureCoords(sub.GetRect()), {0.25f, 0.0f, 0.5f, 0.25f});
}

TEST_F(TextureTest, DrawAndDrawPartLandOnTheirPixels)
{
    auto t = Make(4, 4, [](int x, int y) { return Quadrants(x, y, 4, 4); });
    auto sub = std::make_unique<TQZTextureSubrect>(t.get(), TQZRect{2, 2, 4, 4});
    ASSERT_TRUE(Frame([&](TQZVideo*) {
        t->Draw({8, 8, 16, 16}, 0xFFFFFFFF);             // doubled
        t->DrawPart({2, 0, 4, 2}, {20, 8, 22, 10}, 0xFFFFFFFF);  // green quadrant alone
        sub->Draw({30, 8, 32, 10}, 0xFF808080);          // white quadrant, modulated
    }));
    EXPECT_EQ(0xFFFF0000u, BackPixel(8, 8));
    EXPECT_EQ(0xFFFF0000u, BackPixel(11, 11));
    EXPECT_EQ(0xFF00FF00u, BackPixel(12, 8));
    EXPECT_EQ(0xFF0000FFu, BackPixel(8, 15));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(15, 15));
    EXPECT_EQ(0xFF000000u, BackPixel(16, 16));
    EXPECT_EQ(0xFF00FF00u, BackPixel(20, 8));
    EXPECT_EQ(0xFF00FF00u, BackPixel(21, 9));
    EXPECT_EQ(0xFF000000u, BackPixel(22, 9));
    EXPECT_EQ(0xFF808080u, BackPixel(31, 9));
}

TEST_F(TextureTest, NineSliceKeepsCornersAndStretchesEdges)
{
    // 6 x 6 source: a 2-pixel red frame around a 2 x 2 white centre, blue corners.
    auto t = Make(6, 6, [](int x, int y) {
        bool edgeX = x < 2 || x >= 4, edgeY = y < 2 || y >= 4;
        return edgeX && edgeY ? 0xFF0000FFu : (edgeX || edgeY ? 0xFFFF0000u : 0xFFFFFFFFu);
    });
    int32_t quads[2] = {0, 0};
    ASSERT_TRUE(Frame([&](TQZVideo* v) {
        int32_t before = v->GetRenderCache()->QuadCount();
        t->DrawNineSlice({10, 10, 30, 40}, {2, 2, 2, 2}, false, 0xFFFFFFFF, t->GetRect());
        quads[0] = v->GetRenderCache()->QuadCount() - before;
        before = v->GetRenderCache()->QuadCount();
        t->DrawNineSlice({40, 10, 60, 40}, {2, 2, 2, 2}, true, 0xFFFFFFFF, t->GetRect());
        quads[1] = v->GetRenderCache()->QuadCount() - before;
    }));
    EXPECT_EQ(8, quads[0]);
    EXPECT_EQ(9, quads[1]);
    EXPECT_EQ(0xFF0000FFu, BackPixel(10, 10));  // corners stay 2 x 2
    EXPECT_EQ(0xFF0000FFu, BackPixel(29, 39));
    EXPECT_EQ(0xFFFF0000u, BackPixel(12, 10));  // edges stretch
    EXPECT_EQ(0xFFFF0000u, BackPixel(27, 10));
    EXPECT_EQ(0xFFFF0000u, BackPixel(10, 37));
    EXPECT_EQ(0xFF000000u, BackPixel(20, 25));  // no centre asked for
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(50, 25));
}

TEST_F(TextureTest, ScaledAndRotatedDrawing)
{
    auto t = Make(2, 2, [](int x, int y) { return Quadrants(x, y, 2, 2); });
    int32_t quadsAfterZeroScale = -1;
    ASSERT_TRUE(Frame([&](TQZVideo* v) {
        int32_t before = v->GetRenderCache()->QuadCount();
        t->DrawScaled({0, 0, 8, 8}, {0, 0}, 0xFFFFFFFF, 0.0f, 1.0f);
        quadsAfterZeroScale = v->GetRenderCache()->QuadCount() - before;
        t->DrawScaled({10, 10, 18, 18}, {10, 10}, 0xFFFFFFFF, 4.0f, 4.0f);  // the texture at 8 x 8
        // A quarter turn clockwise (y grows downwards): top-left red goes top-right.
        t->DrawRotated(t->GetRect(), {30, 30, 40, 40}, 0xFFFFFFFF, float(M_PI / 2));
    }));
    EXPECT_EQ(0, quadsAfterZeroScale);
    EXPECT_EQ(0xFFFF0000u, BackPixel(11, 11));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(17, 17));
    EXPECT_EQ(0xFFFF0000u, BackPixel(38, 31));
    EXPECT_EQ(0xFF00FF00u, BackPixel(38, 38));
    EXPECT_EQ(0xFF0000FFu, BackPixel(31, 31));
}

TEST_F(TextureTest, LoadingFromMemoryAppliesTheKeyAndRefusesBadInput)
{
    auto t = Make(3, 1, [](int x, int) { return x == 1 ? 0xFFFF00FFu : 0xFF102030u; }, 0xFFFF00FF);
    ASSERT_TRUE(t);
    TQZTexturePixelData* pd = t->PixelData();
    ASSERT_EQ(QZRES_OK, pd->Lock(1));
    EXPECT_EQ(0u, pd->GetPixel(1, 0));
    EXPECT_EQ(0xFF102030u, pd->GetPixel(0, 0));
    pd->Unlock();

    TQZTexture tex;
    const uint8_t junk[] = {1, 2, 3, 4};
    EXPECT_EQ(QZRES_BADARG, tex.LoadFromMemory(nullptr, 10, 0, 0));
    EXPECT_EQ(QZRES_BADARG, tex.LoadFromMemory(junk, 0, 0, 0));
    EXPECT_EQ(QZRES_FAILED, tex.LoadFromMemory(junk, 4, 0, 0));
    EXPECT_FALSE(tex.HasTexture());
}

TEST_F(TextureTest, SizesBeyondTheDeviceOrBelowOneAreRefusedUnallocated)
{
    im::Image wide;
    ASSERT_TRUE(wide.Allocate(8193, 1, 0xFF000000));
    std::vector<uint8_t> png = Png(wide);
    TQZTexture tex;
    EXPECT_EQ(QZRES_BADARG, tex.LoadFromMemory(png.data(), int32_t(png.size()), 0, 0));
    EXPECT_FALSE(tex.HasTexture());
    const TQZPoint sizes[] = {{0, 5}, {5, 0}, {-1, 5}, {8193, 1}, {1, 8193}};
    for (TQZPoint s : sizes) {
        SCOPED_TRACE(s.x * 100000 + s.y);
        EXPECT_EQ(QZRES_BADARG, tex.CreateD3DTexture(s.x, s.y));
        EXPECT_FALSE(tex.HasTexture());
        std::unique_ptr<TQZTexture> rt;
        EXPECT_EQ(QZRES_BADARG, TQZTexture::CreateRenderTarget(rt, s.x, s.y));
        EXPECT_FALSE(rt);
    }
    EXPECT_EQ(QZRES_OK, tex.CreateD3DTexture(8192, 1));
}

TEST_F(TextureTest, LoadFromFileRaisesWithTheFileAndFolder)
{
    vqtest::TempDir dir;
    TQZTexture tex;
    EXPECT_EQ(QZRES_BADARG, tex.LoadFromFile("", 0, false));
    std::string name = dir.File("missing.png");
    try {
        (void)tex.LoadFromFile(name, 0, false);  // raises
        FAIL() << "no exception";
    } catch (const EQZTextureError& e) {
        std::string m = e.what();
        EXPECT_EQ(0u, m.rfind("Texture.LoadFromFile(\"" + name + "\") error - file not found (current dir=\"", 0));
        EXPECT_EQ('"', m[m.size() - 2]);
        EXPECT_EQ(')', m.back());
    }
    vqtest::WriteFile(dir.File("junk.png"), "not an image");
    try {
        (void)tex.LoadFromFile(dir.File("junk.png"), 0, false);  // raises
        FAIL() << "no exception";
    } catch (const EQZTextureError& e) {
        EXPECT_EQ("Texture.LoadFromFile(\"" + dir.File("junk.png") + "\") error", std::string(e.what()));
    }
    im::Image img;
    (void)img.Allocate(2, 3, 0xFF445566);  // setup: what the test checks after it shows whether it took
    std::vector<uint8_t> png = Png(img);
    vqtest::WriteFile(dir.File("Ok.png"), std::string(png.begin(), png.end()));
    EXPECT_EQ(QZRES_OK, tex.LoadFromFile(dir.Path() + "ok.PNG", 0, true));
    EXPECT_EQ(2, tex.GetWidth());
    EXPECT_EQ(3, tex.GetHeight());
}

TEST_F(TextureTest, SaveToMemoryWritesTheFormatAsked)
{
    auto t = Make(3, 2, [](int x, int y) { return 0xFF000000u | uint32_t(x * 80 + y * 20); });
    struct Case {
        int32_t format;
        std::vector<uint8_t> magic;
    };
    const Case cases[] = {{0, {0x89, 'P'}}, {1, {0x89, 'P'}}, {2, {0xFF, 0xD8}}, {7, {'B', 'M'}}, {3, {'B', 'M'}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        std::unique_ptr<TQZMemory> mem;
        ASSERT_EQ(QZRES_OK, t->SaveToMemory(mem, c.format));
        ASSERT_TRUE(mem);
        ASSERT_GE(mem->Size(), 2);
        EXPECT_EQ(c.magic[0], mem->GetByte(0));
        EXPECT_EQ(c.magic[1], mem->GetByte(1));
        if (c.format == 1) {
            im::Image back;
            ASSERT_TRUE(im::DecodeImage(mem->Data(), size_t(mem->Size()), back));
            EXPECT_EQ(0xFF0000B4u, back.Pixel(2, 1));
        }
    }
    auto existing = std::make_unique<TQZMemory>(5);
    ASSERT_EQ(QZRES_OK, t->SaveToMemory(existing, 7));
    EXPECT_EQ(54 + 3 * 2 * 4, existing->Size());  // resized to the encoded size
}

TEST_F(TextureTest, PixelFillsAndCopiesStayInside)
{
    auto t = Make(4, 4, [](int, int) { return 0xFF000000u; });
    TQZTexturePixelData* pd = t->PixelData();
    EXPECT_EQ(QZRES_BADARG, pd->FillRect({0, 0, 1, 1}, 7));  // not locked
    ASSERT_EQ(QZRES_OK, pd->Lock(0));
    EXPECT_EQ(QZRES_BADARG, pd->FillRect({0, 0, 5, 1}, 0xFFFFFFFF));
    EXPECT_EQ(0xFF000000u, pd->GetPixel(0, 0));
    EXPECT_EQ(QZRES_OK, pd->FillRect({1, 1, 3, 2}, 0xFF00FF00));
    EXPECT_EQ(0xFF00FF00u, pd->GetPixel(2, 1));
    EXPECT_EQ(0xFF000000u, pd->GetPixel(3, 1));
    EXPECT_EQ(0u, pd->GetPixel(4, 0));  // outside reads 0
    pd->SetPixel(-1, 0, 5);             // and writes nothing

    auto src = Make(2, 1, [](int x, int) { return x ? 0xFFC8C8C8u : 0xFF000000u; });
    TQZTexturePixelData* sp = src->PixelData();
    ASSERT_EQ(QZRES_OK, sp->Lock(1));
    EXPECT_EQ(QZRES_FAILED, pd->CopyScaled(sp, {0, 0, 3, 1}, {0, 0, 4, 1}));  // source outside
    EXPECT_EQ(QZRES_FAILED, pd->CopyScaled(sp, {2, 0, 2, 1}, {0, 0, 4, 1}));  // empty source
    ASSERT_EQ(QZRES_OK, pd->CopyScaled(sp, {0, 0, 2, 1}, {0, 3, 4, 4}));
    EXPECT_EQ(0xFF000000u, pd->GetPixel(1, 3));
    EXPECT_EQ(0xFFC8C8C8u, pd->GetPixel(2, 3));
    ASSERT_EQ(QZRES_OK, pd->CopyResampled(sp, {0, 0, 2, 1}, {0, 2, 4, 3}));
    // Positions 0, 0.5, 1, 1.5: the last two lean on the edge pixel.
    EXPECT_EQ(0xFF000000u, pd->GetPixel(0, 2));
    EXPECT_EQ(0xFF646464u, pd->GetPixel(1, 2));
    EXPECT_EQ(0xFFC8C8C8u, pd->GetPixel(3, 2));
    sp->Unlock();
    pd->Unlock();
}

TEST_F(TextureTest, BlendingCopyMixesBySourceAlpha)
{
    struct Case {
        uint32_t src, dst, want;
    };
    const Case cases[] = {
        {0x00FF0000, 0x000000FF, 0xFF0000FE},  // transparent source: destination, 255/256 of it
        {0xFFFF0000, 0xFF0000FF, 0xFFFE0000},
        {0x80FFFFFF, 0xFF000000, 0xFF7F7F7F},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, BlendPixel(c.src, c.dst)) << std::hex << c.src;

    auto dst = Make(2, 1, [](int, int) { return 0xFF000000u; });
    auto src = Make(1, 1, [](int, int) { return 0x80FFFFFFu; });
    ASSERT_EQ(QZRES_OK, dst->PixelData()->Lock(0));
    ASSERT_EQ(QZRES_OK, src->PixelData()->Lock(1));
    ASSERT_EQ(QZRES_OK, dst->PixelData()->CopyTransformed(src->PixelData(), {0, 0, 1, 1}, {0, 0, 2, 1}, &BlendPixel));
    EXPECT_EQ(0xFF7F7F7Fu, dst->PixelData()->GetPixel(1, 0));
}

// Bilinear weights sum to 1 only nearly: a uniform area must still come out
// as exactly its colour, at any size, or a colour key stops matching.
TEST_F(TextureTest, ResampledUniformAreasKeepTheirExactColour)
{
    const uint32_t colours[] = {0xFFFF00FF, 0xFFFFFFFF, 0x80FE0102, 0x00000000};
    const TQZPoint sizes[] = {{120, 170}, {71, 96}, {300, 401}, {13, 7}, {191, 256}};
    for (uint32_t colour : colours) {
        auto src = Make(192, 256, [colour](int, int) { return colour; });
        ASSERT_TRUE(src);
        for (TQZPoint size : sizes) {
            auto out = TQZTexture::CreateResampled(src.get(), size.x, size.y);
            ASSERT_TRUE(out);
            ASSERT_EQ(QZRES_OK, out->PixelData()->Lock(1));
            int32_t off = 0;
            for (int32_t y = 0; y < size.y; ++y)
                for (int32_t x = 0; x < size.x; ++x) off += out->PixelData()->GetPixel(x, y) != colour;
            out->PixelData()->Unlock();
            EXPECT_EQ(0, off) << std::hex << colour << std::dec << " at " << size.x << "x" << size.y;
        }
    }
}

TEST_F(TextureTest, ResampledCopyAndRenderTargetsSurviveDeviceLoss)
{
    auto src = Make(2, 2, [](int x, int y) { return Quadrants(x, y, 2, 2); });
    auto big = TQZTexture::CreateResampled(src.get(), 4, 4);
    ASSERT_TRUE(big);
    ASSERT_EQ(QZRES_OK, big->PixelData()->Lock(1));
    EXPECT_EQ(0xFFFF0000u, big->PixelData()->GetPixel(0, 0));
    EXPECT_EQ(0xFFFFFFFFu, big->PixelData()->GetPixel(3, 3));
    big->PixelData()->Unlock();

    std::unique_ptr<TQZTexture> rt;
    ASSERT_EQ(QZRES_OK, TQZTexture::CreateRenderTarget(rt, 16, 8));
    ASSERT_TRUE(rt->RenderTargetSurface());
    EXPECT_EQ(16, rt->RenderTargetSurface()->GetSize().x);
    TQZDirect3DDevice* device = Direct3DDevice();
    device->Device()->SimulateDeviceLoss();
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->Present());
    EXPECT_FALSE(rt->HasTexture());
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());
    EXPECT_EQ(QZRES_OK, device->BeginScene());  // reset: possible only as the target let go
    EXPECT_EQ(QZRES_OK, device->EndScene());
    EXPECT_TRUE(rt->HasTexture());
    EXPECT_EQ(16, rt->GetWidth());
    EXPECT_FALSE(rt->TakeRestoreFailed());
}

TEST_F(TextureTest, RenderTargetTexturesAreDrawnIntoAndThenFrom)
{
    std::unique_ptr<TQZTexture> rt;
    ASSERT_EQ(QZRES_OK, TQZTexture::CreateRenderTarget(rt, 8, 8));
    ASSERT_TRUE(Frame([&](TQZVideo* v) {
        ASSERT_EQ(QZRES_OK, v->SetRenderTarget(rt->RenderTargetSurface()));
        v->FillRect({0, 0, 8, 8}, 0xFF0000FF);
        v->FillRect({0, 0, 4, 4}, 0xFFFFFF00);
        EXPECT_EQ(QZRES_OK, v->SetRenderTarget(nullptr));
        rt->Draw({60, 60, 76, 76}, 0xFFFFFFFF);  // twice the size
    }));
    EXPECT_EQ(0xFF000000u, BackPixel(1, 1));  // nothing reached the back buffer directly
    EXPECT_EQ(0xFFFFFF00u, BackPixel(60, 60));
    EXPECT_EQ(0xFFFFFF00u, BackPixel(67, 67));
    EXPECT_EQ(0xFF0000FFu, BackPixel(68, 68));
    EXPECT_EQ(0xFF0000FFu, BackPixel(75, 60));
}

TEST_F(TextureTest, NineSlicesCutByAnInnerRectangleKeepTheirCorners)
{
    auto t = std::make_unique<TQZTexture>();
    ASSERT_EQ(QZRES_OK, t->CreateD3DTexture(8, 8));
    TQZTexturePixelData* pd = t->PixelData();
    ASSERT_EQ(QZRES_OK, pd->Lock(0));
    pd->Clear(0xFF0000FF);
    pd->FillRect({0, 0, 2, 2}, 0xFFFF0000);  // top-left corner piece
    pd->Unlock();
    Frame([&](TQZVideo*) {
        t->DrawNineSlice({2, 2, 6, 6}, {10, 10, 40, 30}, true, 0xFFFFFFFF);
        t->DrawNineSlice({2, 2, 6, 6}, {50, 10, 80, 30}, true, 0x00FFFFFF);  // no alpha: nothing
    });
    EXPECT_EQ(0xFFFF0000u, BackPixel(10, 10));
    EXPECT_EQ(0xFFFF0000u, BackPixel(11, 11));
    EXPECT_EQ(0xFF0000FFu, BackPixel(12, 12));
    EXPECT_EQ(0xFF0000FFu, BackPixel(39, 29));
    EXPECT_EQ(0xFF000000u, BackPixel(60, 20));
    EXPECT_EQ((TQZRectF{0.25f, 0.5f, 1.0f, 1.0f}), t->RectToUV({2, 4, 8, 8}));
}

namespace {

// The texture's pixels, row by row, as '#' where the value is set and '.' elsewhere.
std::vector<std::string> Marks(TQZTexture* t, uint32_t value)
{
    std::vector<std::string> rows;
    TQZTexturePixelData* pd = t->PixelData();
    if (pd->Lock(1) != QZRES_OK) return rows;
    for (int32_t y = 0; y < t->GetHeight(); ++y) {
        std::string row;
        for (int32_t x = 0; x < t->GetWidth(); ++x) row += pd->GetPixel(x, y) == value ? '#' : '.';
        rows.push_back(row);
    }
    pd->Unlock();
    return rows;
}

}  // namespace

TEST_F(TextureTest, RectOutlinesAreOnePixelEdgesCutToTheTexture)
{
    constexpr uint32_t kInk = 0xFFFF00FF;
    struct Case {
        const char* what;
        TQZRect rect;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"odd sizes", {1, 1, 6, 4}, {".......", ".#####.", ".#...#.", ".#####.", "......."}},
        {"one pixel", {3, 2, 4, 3}, {".......", ".......", "...#...", ".......", "......."}},
        {"one row", {0, 4, 7, 5}, {".......", ".......", ".......", ".......", "#######"}},
        {"one column", {6, 0, 7, 5}, {"......#", "......#", "......#", "......#", "......#"}},
        {"partly outside", {-2, 2, 4, 9}, {".......", ".......", "####...", "...#...", "...#..."}},
        {"around the texture", {-1, -1, 8, 6}, {".......", ".......", ".......", ".......", "......."}},
        {"wholly outside", {10, 10, 12, 12}, {".......", ".......", ".......", ".......", "......."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto t = TQZTexture::CreateOfSize(7, 5);
        ASSERT_TRUE(t);
        ASSERT_EQ(QZRES_OK, t->PixelData()->Lock(0));
        t->PixelData()->Clear(0xFF000000);
        t->PixelData()->Unlock();
        EXPECT_EQ(QZRES_OK, t->DrawRectOutline(c.rect, kInk));
        EXPECT_EQ(c.want, Marks(t.get(), kInk));
    }

    auto t = TQZTexture::CreateOfSize(4, 4);
    ASSERT_TRUE(t);
    const TQZRect empty[] = {{2, 2, 2, 3}, {2, 2, 3, 2}, {3, 1, 1, 3}, {1, 3, 3, 1}};
    for (const TQZRect& r : empty) EXPECT_EQ(QZRES_BADARG, t->DrawRectOutline(r, kInk));
    EXPECT_EQ((std::vector<std::string>{"....", "....", "....", "...."}), Marks(t.get(), kInk));

    // Drawn while the caller holds the lock, which it keeps.
    ASSERT_EQ(QZRES_OK, t->PixelData()->Lock(0));
    EXPECT_EQ(QZRES_OK, t->DrawRectOutline({0, 0, 4, 4}, kInk));
    EXPECT_TRUE(t->PixelData()->Locked());
    EXPECT_EQ(kInk, t->PixelData()->GetPixel(3, 3));
    EXPECT_NE(kInk, t->PixelData()->GetPixel(1, 1));
    t->PixelData()->Unlock();

    TQZTexture none;
    EXPECT_EQ(QZRES_FAILED, none.DrawRectOutline({0, 0, 2, 2}, kInk));
}

TEST_F(TextureTest, RenderTargetsOfAnySizeAreDrawnIntoAndPlainTexturesAreNot)
{
    TQZTexture rt;
    ASSERT_EQ(QZRES_OK, rt.CreateD3DRenderTarget(7, 3));
    ASSERT_TRUE(rt.IsRenderTarget());
    ASSERT_TRUE(rt.RenderTargetSurface());
    EXPECT_EQ(7, rt.GetWidth());
    EXPECT_EQ(3, rt.GetHeight());
    ASSERT_TRUE(Frame([&](TQZVideo* v) {
        ASSERT_EQ(QZRES_OK, v->SetRenderTarget(rt.RenderTargetSurface()));
        v->FillRect({0, 0, 7, 3}, 0xFF0000FF);
        v->FillRect({5, 1, 9, 9}, 0xFFFFFF00);  // runs off the target's corner
        EXPECT_EQ(QZRES_OK, v->SetRenderTarget(nullptr));
    }));
    EXPECT_EQ((std::vector<std::string>{".......", ".....##", ".....##"}), Marks(&rt, 0xFFFFFF00));
    EXPECT_EQ((std::vector<std::string>{"#######", "#####..", "#####.."}), Marks(&rt, 0xFF0000FF));

    // The same object made again as a plain texture is no target any more.
    ASSERT_EQ(QZRES_OK, rt.CreateD3DTexture(2, 2));
    EXPECT_FALSE(rt.IsRenderTarget());
    EXPECT_EQ(nullptr, rt.RenderTargetSurface());

    const std::pair<int32_t, int32_t> refused[] = {{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {0, 0}};
    for (auto [w, h] : refused) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        TQZTexture t;
        EXPECT_EQ(QZRES_BADARG, t.CreateD3DRenderTarget(w, h));
        EXPECT_FALSE(t.HasTexture());
        EXPECT_EQ(nullptr, t.RenderTargetSurface());
        EXPECT_EQ(nullptr, TQZTexture::CreateOfSize(w, h));
    }
    auto one = TQZTexture::CreateOfSize(1, 1);
    ASSERT_TRUE(one);
    EXPECT_FALSE(one->IsRenderTarget());
    EXPECT_EQ((TQZRect{0, 0, 1, 1}), one->GetRect());
}

TEST_F(TextureTest, SaveToFileWritesAPngThatLoadsBack)
{
    vqtest::TempDir dir;
    auto t = Make(5, 3, [](int x, int y) { return 0xFF000000u | uint32_t(x * 40 << 16 | y * 100); });
    ASSERT_TRUE(t);
    const std::string name = dir.File("card.png");
    vqtest::WriteFile(name, std::string(4096, 'x'));  // a longer file is replaced whole
    ASSERT_EQ(QZRES_OK, t->SaveToFile(name));
    const std::string bytes = vqtest::ReadFile(name);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ("\x89PNG", bytes.substr(0, 4));
    auto back = TQZTexture::CreateFromFile(name, 0, false);
    ASSERT_TRUE(back);
    EXPECT_EQ((TQZRect{0, 0, 5, 3}), back->GetRect());
    ASSERT_EQ(QZRES_OK, back->PixelData()->Lock(1));
    EXPECT_EQ(0xFFA000C8u, back->PixelData()->GetPixel(4, 2));
    EXPECT_EQ(0xFF000000u, back->PixelData()->GetPixel(0, 0));
    back->PixelData()->Unlock();
    EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(dir.Path()), {}));  // no temporary left
}

TEST_F(TextureTest, SaveToFileFailuresAreReportedAndLeaveTheFileAlone)
{
    vqtest::TempDir dir;
    auto t = Make(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 977 + y * 131); });
    ASSERT_TRUE(t);
    EXPECT_EQ(QZRES_FAILED, t->SaveToFile(dir.File("missing/card.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    EXPECT_EQ(QZRES_FAILED, t->SaveToFile(""));

    const std::string name = dir.File("card.png");
    const std::string old = "the earlier picture";
    vqtest::WriteFile(name, old);
    TQZTexture empty;
    EXPECT_EQ(QZRES_FAILED, empty.SaveToFile(name));
    EXPECT_EQ(old, vqtest::ReadFile(name));

    // A write that fails midway (the file size limit holds for every user).
    rlimit saved{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &saved));
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    const int32_t r = t->SaveToFile(name);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(QZRES_FAILED, r);
    EXPECT_EQ(old, vqtest::ReadFile(name));
    EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(dir.Path()), {}));  // no temporary left

    if (::geteuid() != 0) {
        ::chmod(dir.Path().c_str(), 0555);
        EXPECT_EQ(QZRES_FAILED, t->SaveToFile(name));
        ::chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(old, vqtest::ReadFile(name));
    }
}

// A part drawn once at its screen size, then drawn unscaled, must give the
// very pixels of the scaled draw: tinted, blended over what lies there, on
// either filter, growing and shrinking, at odd sizes and positions, and where
// the screen's edge cuts it.
TEST_F(TextureTest, DrawnAtSizeGivesTheScaledDrawsPixels)
{
    uint32_t seed = 12345;
    auto noise = [&seed](int, int) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t a = (seed >> 24) % 3 == 0 ? 0x80u : 0xFFu;  // some texels half transparent
        return a << 24 | (seed >> 8 & 0xFFFFFF);
    };
    auto src = Make(71, 96, noise);
    ASSERT_TRUE(src);
    struct Case {
        TQZRect part;
        TQZPoint size, at;
        TQZColour colour;
    };
    const Case cases[] = {
        {{0, 0, 71, 96}, {100, 135}, {3, 2}, 0xFFFFFFFF},   // grown
        {{0, 0, 71, 96}, {37, 50}, {61, 17}, 0xC0FF8040},   // shrunk and tinted
        {{5, 7, 60, 90}, {41, 77}, {80, 9}, 0xFFFFFFFF},    // a part, odd size
        {{0, 0, 71, 96}, {99, 139}, {-20, -30}, 0xFFFFFFFF}, // cut by the top-left edge
        {{0, 0, 71, 96}, {99, 139}, {90, 40}, 0xE0FFFFFF},  // cut by the bottom-right edge
    };
    std::vector<uint32_t> direct(128 * 96);
    for (bool linear : {false, true}) {
        video->SetLinearFilter(linear);
        for (const Case& c : cases) {
            const TQZRect dest{c.at.x, c.at.y, c.at.x + c.size.x, c.at.y + c.size.y};
            // The background is not flat, so blending shows.
            auto draw = [&](const std::function<void()>& card) {
                return Frame([&](TQZVideo* v) {
                    v->FillRect({0, 0, 64, 96}, 0xFF204060);
                    v->FillRect({64, 0, 128, 96}, 0xFFC08020);
                    card();
                });
            };
            ASSERT_TRUE(draw([&] { src->DrawPart(c.part, dest, c.colour); }));
            for (int32_t y = 0; y < 96; ++y)
                for (int32_t x = 0; x < 128; ++x) direct[size_t(y) * 128 + x] = BackPixel(x, y);
            auto scaled = TQZTexture::CreateDrawnAt(src.get(), c.part, c.size.x, c.size.y);
            ASSERT_TRUE(scaled);
            ASSERT_TRUE(draw([&] { scaled->DrawWhole(dest, c.colour); }));
            int32_t differ = 0;
            for (int32_t y = 0; y < 96; ++y)
                for (int32_t x = 0; x < 128; ++x) differ += BackPixel(x, y) != direct[size_t(y) * 128 + x];
            EXPECT_EQ(0, differ) << (linear ? "linear " : "point ") << c.size.x << "x" << c.size.y << " at "
                                 << c.at.x << "," << c.at.y;
        }
    }
}

#include "qz7surface.h"

#include "mediatestutil.h"
#include "testutil.h"

namespace im = plat::imaging;

namespace {

class SurfaceTest : public mediatest::VideoFixture {
protected:
    // A surface of the kind filled with one colour through locked pixels.
    std::unique_ptr<TQZSurface> Filled(int32_t kind, int32_t w, int32_t h, TQZColour colour)
    {
        auto s = CreateSurface(w, h, 0, kind);
        EXPECT_TRUE(s);
        if (!s) return s;
        EXPECT_EQ(QZRES_OK, s->BeginAccess(kind == QZSURFACE_BITMAP ? QZACCESS_DC : QZACCESS_LOCKED));
        s->Clear(colour);
        s->EndAccess();
        return s;
    }
    static uint32_t Pixel(TQZSurface& s, int32_t x, int32_t y)
    {
        if (auto* b = dynamic_cast<TQZSurfaceBitmap*>(&s)) return b->BitmapPixels()->Pixel(x, y);
        return s.GetD3DSurface()->PixelAt(x, y);
    }
};

}  // namespace

TEST_F(SurfaceTest, KindsAndSizesAtCreation)
{
    auto bitmapAsked = CreateSurface(4, 4, 0, QZSURFACE_BITMAP);
    ASSERT_TRUE(bitmapAsked);
    EXPECT_EQ(QZSURFACE_SYSMEM, bitmapAsked->Kind());  // no bitmaps under Direct3D
    for (int32_t kind : {QZSURFACE_SYSMEM, QZSURFACE_VIDEO, QZSURFACE_MIRROR, QZSURFACE_RENDERTARGET}) {
        SCOPED_TRACE(kind);
        auto s = CreateSurface(8, 2, 0, kind);
        ASSERT_TRUE(s);
        EXPECT_EQ(kind, s->Kind());
        EXPECT_TRUE(s->Allocated());
        EXPECT_EQ((TQZPoint{8, 2}), s->GetSize());
        EXPECT_FALSE(CreateSurface(8193, 2, 0, kind));
        EXPECT_FALSE(CreateSurface(2, 8193, 0, kind));
        auto empty = CreateSurface(0, 0, 0, kind);
        ASSERT_TRUE(empty);
        EXPECT_FALSE(empty->Allocated());
        EXPECT_EQ(QZRES_BADARG, empty->Allocate(0, 4, 0));
        EXPECT_EQ(QZRES_BADARG, empty->Allocate(8193, 4, 0));
        EXPECT_FALSE(empty->Allocated());
    }
    TQZSurfaceBitmap bitmap;
    EXPECT_EQ(QZRES_BADARG, bitmap.Allocate(-3, 4, 0));
    EXPECT_EQ(QZRES_OK, bitmap.Allocate(3, 4, 0));

    VideoBackEnd = QZVIDEO_BACKEND_GDI;  // every kind becomes a bitmap
    auto asBitmap = CreateSurface(4, 4, 0, QZSURFACE_VIDEO);
    VideoBackEnd = QZVIDEO_BACKEND_DX9;
    ASSERT_TRUE(asBitmap);
    EXPECT_EQ(QZSURFACE_BITMAP, asBitmap->Kind());
}

TEST_F(SurfaceTest, AccessModesNestAndRefuseEachOther)
{
    auto s = CreateSurface(4, 4, 0, QZSURFACE_SYSMEM);
    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_DC));
    EXPECT_EQ(QZRES_SURFACE_OTHERACCESS, s->BeginAccess(QZACCESS_LOCKED));
    EXPECT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_NONE));
    EXPECT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_DC));
    EXPECT_EQ(3, s->AccessDepth());
    s->EndAccess();
    s->EndAccess();
    EXPECT_EQ(QZACCESS_DC, s->AccessMode());  // one more end still needed
    s->EndAccess();
    EXPECT_EQ(QZACCESS_NONE, s->AccessMode());
    EXPECT_EQ(0, s->AccessDepth());

    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_PLAIN));
    EXPECT_EQ(QZRES_SURFACE_NOACCESS, s->BeginAccess(QZACCESS_DC));
    s->EndAccess();
    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_LOCKED));
    EXPECT_NE(nullptr, s->LockedBits());
    EXPECT_EQ(QZRES_SURFACE_OTHERACCESS, s->BeginAccess(QZACCESS_DC));
    s->EndAccess();
    EXPECT_EQ(nullptr, s->LockedBits());
    EXPECT_EQ(QZRES_FAILED, s->EndAccess());
}

TEST_F(SurfaceTest, DrawingInEachAccessMode)
{
    auto s = Filled(QZSURFACE_SYSMEM, 16, 16, 0xFF000000);
    s->FillRect({0, 0, 4, 4}, 0xFFFFFFFF);  // no access: nothing to draw with
    EXPECT_EQ(0xFF000000u, Pixel(*s, 1, 1));
    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_LOCKED));
    s->FillRect({-5, -5, 2, 2}, 0x80FF0000);  // clipped to the surface
    s->SetPixel({15, 15}, 0xFF00FF00);
    s->EndAccess();
    EXPECT_EQ(0x80FF0000u, Pixel(*s, 1, 1));
    EXPECT_EQ(0xFF000000u, Pixel(*s, 2, 2));
    EXPECT_EQ(0xFF00FF00u, Pixel(*s, 15, 15));

    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_DC));
    s->FrameRect({4, 4, 12, 12}, 0xFF0000FF);
    s->Polyline({{4, 14}, {12, 14}}, 0xFFFFFF00);
    s->TextOut({12, 0}, "W", 0xFFFFFFFF);
    s->EndAccess();
    EXPECT_EQ(0xFF0000FFu, Pixel(*s, 4, 4));
    EXPECT_EQ(0xFF0000FFu, Pixel(*s, 11, 8));
    EXPECT_EQ(0xFF000000u, Pixel(*s, 8, 8));
    EXPECT_EQ(0xFFFFFF00u, Pixel(*s, 11, 14));
    EXPECT_EQ(0xFF000000u, Pixel(*s, 12, 14));
    int lit = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 12; x < 16; ++x) lit += Pixel(*s, x, y) != 0xFF000000u;
    EXPECT_GT(lit, 0);  // the glyph reached the corner

    auto v = CreateSurface(8, 8, 0, QZSURFACE_VIDEO);
    v->FillRect({2, 2, 4, 4}, 0xFF123456);  // the device fills video surfaces
    EXPECT_EQ(0xFF123456u, Pixel(*v, 3, 3));
}

TEST_F(SurfaceTest, BlitChoosesItsCopyMethodByKind)
{
    auto src = Filled(QZSURFACE_SYSMEM, 8, 8, 0xFF204060);
    auto video = CreateSurface(8, 8, 0, QZSURFACE_VIDEO);
    auto target = CreateSurface(8, 8, 0, QZSURFACE_RENDERTARGET);
    auto sys = CreateSurface(8, 8, 0, QZSURFACE_SYSMEM);
    ASSERT_EQ(QZRES_OK, src->Blit({0, 0, 8, 8}, video.get(), {0, 0, 8, 8}));
    EXPECT_EQ(1, src->LastBlitMethod());  // same size into video memory: StretchRect
    EXPECT_EQ(0xFF204060u, Pixel(*video, 7, 7));
    ASSERT_EQ(QZRES_OK, video->Blit({0, 0, 8, 8}, target.get(), {0, 0, 8, 8}));
    ASSERT_EQ(QZRES_OK, target->Blit({0, 0, 8, 8}, video.get(), {0, 0, 8, 8}));
    EXPECT_EQ(2, target->LastBlitMethod());  // from a render target: never StretchRect
    ASSERT_EQ(QZRES_OK, src->Blit({0, 0, 4, 4}, video.get(), {0, 0, 8, 8}));
    EXPECT_EQ(2, src->LastBlitMethod());  // scaled: the loader
    ASSERT_EQ(QZRES_OK, video->Blit({0, 0, 8, 8}, sys.get(), {0, 0, 8, 8}));
    EXPECT_EQ(2, video->LastBlitMethod());
    EXPECT_EQ(0xFF204060u, Pixel(*sys, 0, 0));
    // Nothing fits a video target reached through a rectangle outside it.
    EXPECT_EQ(QZRES_SURFACE_NOCOPY, video->Blit({4, 4, 12, 12}, target.get(), {0, 0, 8, 8}));
    EXPECT_EQ(0, target->AccessDepth());  // the failed copy left no access open
}

TEST_F(SurfaceTest, SystemMemoryAndBitmapBlitsClipBothSides)
{
    auto src = Filled(QZSURFACE_SYSMEM, 4, 4, 0xFF00FF00);
    auto dst = Filled(QZSURFACE_SYSMEM, 6, 6, 0xFF000000);
    ASSERT_EQ(QZRES_OK, src->Blit({4, -2, 8, 2}, dst.get(), {0, 0, 4, 4}));
    EXPECT_EQ(0xFF00FF00u, Pixel(*dst, 4, 0));
    EXPECT_EQ(0xFF00FF00u, Pixel(*dst, 5, 1));
    EXPECT_EQ(0xFF000000u, Pixel(*dst, 5, 2));
    EXPECT_EQ(0xFF000000u, Pixel(*dst, 3, 0));
    EXPECT_EQ(QZRES_BADARG, src->Blit({10, 10, 14, 14}, dst.get(), {0, 0, 4, 4}));

    TQZSurfaceBitmap bitmap;
    ASSERT_EQ(QZRES_OK, bitmap.Allocate(4, 4, 0));
    bitmap.Clear(0xFFFF0000);
    ASSERT_EQ(QZRES_OK, bitmap.Blit({-2, 0, 2, 4}, dst.get(), {0, 0, 4, 4}));
    EXPECT_EQ(4, bitmap.LastBlitMethod());
    EXPECT_EQ(0xFFFF0000u, Pixel(*dst, 0, 0));
    EXPECT_EQ(0xFFFF0000u, Pixel(*dst, 1, 3));
    EXPECT_EQ(0xFF000000u, Pixel(*dst, 2, 3));
    EXPECT_EQ(QZRES_BADARG, bitmap.Blit({7, 7, 9, 9}, dst.get(), {0, 0, 2, 2}));
    TQZSurfaceBitmap empty;
    EXPECT_EQ(QZRES_FAILED, empty.Blit({0, 0, 1, 1}, dst.get(), {0, 0, 1, 1}));
}

TEST_F(SurfaceTest, MirroredSurfacesKeepTheirImageThroughDeviceLoss)
{
    auto m = CreateSurface(8, 8, 0, QZSURFACE_MIRROR);
    auto* mirror = dynamic_cast<TQZSurfaceMirror*>(m.get());
    ASSERT_TRUE(mirror);
    auto v = CreateSurface(8, 8, 0, QZSURFACE_VIDEO);
    ASSERT_EQ(QZRES_OK, m->BeginAccess(QZACCESS_DC));
    m->FillRect({0, 0, 8, 8}, 0xFF336699);
    EXPECT_NE(0xFF336699u, mirror->VideoSurface()->PixelAt(0, 0));  // not until the access ends
    m->EndAccess();
    EXPECT_EQ(0xFF336699u, mirror->VideoSurface()->PixelAt(0, 0));

    TQZDirect3DDevice* device = Direct3DDevice();
    device->Device()->SimulateDeviceLoss();
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->Present());
    EXPECT_TRUE(m->Lost());
    EXPECT_TRUE(v->Lost());
    EXPECT_FALSE(v->GetD3DSurface());
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());
    EXPECT_EQ(QZRES_OK, device->BeginScene());
    EXPECT_EQ(QZRES_OK, device->EndScene());
    EXPECT_FALSE(m->Lost());
    EXPECT_EQ(0xFF336699u, mirror->VideoSurface()->PixelAt(7, 7));
    EXPECT_FALSE(v->Lost());
    EXPECT_EQ((TQZPoint{8, 8}), v->GetSize());
    EXPECT_TRUE(v->GetD3DSurface());
}

TEST_F(SurfaceTest, LoadingPixelsFilesAndMemory)
{
    auto s = CreateSurface(0, 0, 0, QZSURFACE_SYSMEM);
    std::vector<uint32_t> px = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(QZRES_BADARG, s->LoadFromPixels(3, 2, {1, 2, 3, 4, 5}));  // one value short
    EXPECT_FALSE(s->Allocated());
    ASSERT_EQ(QZRES_OK, s->LoadFromPixels(3, 2, px));
    EXPECT_EQ(6u, Pixel(*s, 2, 1));

    im::Image img;
    (void)img.Allocate(5, 3, 0xFF0A0B0C);  // setup: what the test checks after it shows whether it took
    img.SetPixel(4, 2, 0xFFFFFFFF);
    std::vector<uint8_t> png = Png(img);
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("pic.png"), std::string(png.begin(), png.end()));
    for (int32_t kind : {QZSURFACE_SYSMEM, QZSURFACE_MIRROR}) {
        auto f = CreateSurfaceFromFile(dir.File("pic.png"), kind);
        ASSERT_TRUE(f);
        EXPECT_EQ((TQZPoint{5, 3}), f->GetSize());
        EXPECT_EQ(0xFFFFFFFFu, Pixel(*f, 4, 2));
    }
    EXPECT_FALSE(CreateSurfaceFromFile(dir.File("none.png"), QZSURFACE_SYSMEM));
    EXPECT_EQ(QZRES_BADARG, s->LoadFromFile(""));
    EXPECT_EQ(QZRES_BADARG, s->LoadFromFileInMemory(nullptr, 4));
    const uint8_t junk[] = {9, 9, 9, 9};
    EXPECT_EQ(QZRES_FAILED, s->LoadFromFileInMemory(junk, 4));
    ASSERT_EQ(QZRES_OK, s->LoadFromFileInMemory(png.data(), int32_t(png.size())));
    EXPECT_EQ(0xFF0A0B0Cu, Pixel(*s, 0, 0));

    TQZSurfaceBitmap bitmap;
    ASSERT_EQ(QZRES_OK, bitmap.LoadFromFile(dir.File("pic.png")));
    EXPECT_EQ(0xFFFFFFFFu, Pixel(bitmap, 4, 2));
    EXPECT_EQ(QZRES_FAILED, bitmap.LoadFromFile(dir.File("none.png")));
    EXPECT_EQ(QZRES_FAILED, bitmap.LoadFromFile(std::string(300, 'a')));
}

TEST_F(SurfaceTest, DrawnToTheScreenPlainAndTiled)
{
    auto s = Filled(QZSURFACE_SYSMEM, 4, 4, 0xFF0000FF);
    ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_LOCKED));
    s->SetPixel({0, 0}, 0xFFFFFFFF);
    s->EndAccess();
    ASSERT_TRUE(Frame([&](TQZVideo*) {
        ASSERT_EQ(QZRES_OK, s->DrawToScreen());
        ASSERT_EQ(QZRES_OK, s->DrawToScreenAt({20, 20, 24, 24}, {0, 0, 4, 4}));
        ASSERT_EQ(QZRES_OK, s->DrawTiled({40, 40, 50, 46}, {1, 1}));
    }));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(0, 0));
    EXPECT_EQ(0xFF0000FFu, BackPixel(3, 3));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(20, 20));
    // Tiles start one pixel to the left and above: white pixels at 43, 47 across.
    EXPECT_EQ(0xFF0000FFu, BackPixel(40, 40));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(43, 43));
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(47, 43));
    EXPECT_EQ(0xFF000000u, BackPixel(50, 43));
    EXPECT_EQ(0xFF000000u, BackPixel(43, 46));
}

// A still picture stretched over a render target every frame keeps its
// stretched copy: the pixels are those of the stretch made each time, for
// growing, shrinking and a part, and a picture changed through an access
// shows at once.
TEST_F(SurfaceTest, KeptStretchGivesTheStretchedPixelsAndFollowsChanges)
{
    auto make = [](bool keep) {
        auto s = CreateSurface(37, 23, 0, QZSURFACE_MIRROR);
        EXPECT_TRUE(s);
        EXPECT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_LOCKED));
        uint32_t seed = 99;
        for (int32_t y = 0; y < 23; ++y)
            for (int32_t x = 0; x < 37; ++x) {
                seed = seed * 1103515245u + 12345u;
                s->SetPixel({x, y}, 0xFF000000u | (seed >> 8));
            }
        s->EndAccess();
        s->KeepStretched(keep);
        return s;
    };
    auto plain = make(false), kept = make(true);
    auto a = CreateSurface(128, 96, 0, QZSURFACE_RENDERTARGET), b = CreateSurface(128, 96, 0, QZSURFACE_RENDERTARGET);
    ASSERT_TRUE(plain && kept && a && b);
    auto differ = [&] {
        int32_t n = 0;
        for (int32_t y = 0; y < 96; ++y)
            for (int32_t x = 0; x < 128; ++x) n += Pixel(*a, x, y) != Pixel(*b, x, y);
        return n;
    };
    const struct {
        TQZRect dest, source;
    } cases[] = {{{0, 0, 128, 96}, {0, 0, 37, 23}}, {{5, 9, 120, 61}, {3, 2, 30, 21}}, {{1, 2, 20, 13}, {0, 0, 37, 23}}};
    for (const auto& c : cases)
        for (int round = 0; round < 2; ++round) {  // the second from the kept copy
            ASSERT_EQ(QZRES_OK, plain->Blit(c.dest, a.get(), c.source));
            ASSERT_EQ(QZRES_OK, kept->Blit(c.dest, b.get(), c.source));
            EXPECT_EQ(1, kept->LastBlitMethod());
            EXPECT_EQ(0, differ()) << c.dest.Width() << "x" << c.dest.Height() << " round " << round;
        }
    for (TQZSurface* s : {plain.get(), kept.get()}) {
        ASSERT_EQ(QZRES_OK, s->BeginAccess(QZACCESS_LOCKED));
        s->FillRect({0, 0, 10, 10}, 0xFFFF00FF);
        s->EndAccess();
    }
    // The same rectangles as the last blit: only the change tells the copy is old.
    ASSERT_EQ(QZRES_OK, plain->Blit(cases[2].dest, a.get(), cases[2].source));
    ASSERT_EQ(QZRES_OK, kept->Blit(cases[2].dest, b.get(), cases[2].source));
    EXPECT_EQ(0xFFFF00FFu, Pixel(*b, 1, 2));
    EXPECT_EQ(0, differ());
}

#include "d3dtestutil.h"

namespace sg = plat::softgpu;
using d3dtest::TestImage;
using d3dtest::kUntouched;

namespace {

class Direct3DTest : public d3dtest::D3DFixture {
protected:
    TQZDirect3DDevice* MakeDevice(int32_t w = 64, int32_t h = 48)
    {
        TQZDirect3D* d3d = Direct3D();
        EXPECT_EQ(QZRES_OK, d3d->CreateDevice(nullptr, w, h, QZWINDOW_WINDOWED));
        return d3d->device;
    }
};

TQZD3DDisplayMode Mode(int32_t w, int32_t h) { return {w, h, 32, 22, 60, 1}; }

}  // namespace

TEST_F(Direct3DTest, FindClosestScoresSizeAndAspect)
{
    struct Case {
        std::vector<TQZD3DDisplayMode> modes;
        int32_t width, height, expected;
    };
    const Case cases[] = {
        {{Mode(800, 600), Mode(1024, 768), Mode(1280, 1024)}, 1024, 768, 2},  // exact match
        {{Mode(800, 600), Mode(1280, 720)}, 1024, 768, 1},                    // 1568 against 3958
        {{Mode(1280, 720), Mode(800, 600)}, 1024, 768, 2},                    // order does not matter
        {{Mode(1280, 960), Mode(1600, 1200)}, 1024, 768, 1},                  // a larger mode is cheap
        {{Mode(8000, 6000)}, 1024, 768, 0},                                   // nothing below 9999
        {{}, 1024, 768, 0},
    };
    TQZD3DDisplayModes* modes = Direct3D()->Modes();
    for (const Case& c : cases) {
        modes->SetModes(c.modes);
        EXPECT_EQ(c.expected, modes->FindClosest(c.width, c.height, 32)) << c.modes.size();
    }
}

TEST_F(Direct3DTest, ModesComeFromTheDisplayAndFullScreenNeedsANearMode)
{
    TQZDirect3D* d3d = Direct3D();
    EXPECT_GT(d3d->Modes()->Count(), 4);
    EXPECT_EQ(sg::kFormatA8R8G8B8, d3d->textureFormat);
    EXPECT_TRUE(d3d->linearFiltering);
    TQZD3DDisplayMode m;
    EXPECT_EQ(QZRES_BADARG, d3d->Modes()->GetMode(0, m));
    EXPECT_EQ(QZRES_BADARG, d3d->Modes()->GetMode(d3d->Modes()->Count() + 1, m));
    sg::SetDisplayInfoSource([] {
        sg::DisplayInfo info;
        info.desktop = {9000, 9000, 60, sg::kFormatX8R8G8B8};
        info.modes = {{9000, 9000, 60, sg::kFormatX8R8G8B8}};
        return info;
    });
    d3d->RefreshCaps();
    EXPECT_EQ(QZRES_D3D_NOFULLSCREENMODE, d3d->CreateDevice(nullptr, 1024, 768, QZWINDOW_FULLSCREEN));
    EXPECT_FALSE(d3d->IsValid());
    EXPECT_EQ(QZRES_BADARG, d3d->SelectAdapter(1));
}

TEST_F(Direct3DTest, MissingDirect3DLeavesNoDevice)
{
    FrameworkStop();
    SetDirect3DMissing(true);
    FrameworkStart("Test");
    TQZDirect3D* d3d = Direct3D();
    EXPECT_EQ(QZRES_D3D_NODIRECT3D, d3d->InitResult());
    EXPECT_EQ(nullptr, d3d->device);
    EXPECT_FALSE(d3d->IsValid());
    EXPECT_EQ(QZRES_D3D_NODIRECT3D, d3d->CreateDevice(nullptr, 64, 48, QZWINDOW_WINDOWED));
}

TEST_F(Direct3DTest, ListenersHearOfLossLastFirstAndOfResetFirstFirst)
{
    TQZDirect3DDevice* device = MakeDevice();
    std::vector<std::string> log;
    TestImage a(4, 4, true, &log, "a"), b(4, 4, false, &log, "b"), c(4, 4, true, &log, "c");
    static int lostEvents, resetEvents;
    lostEvents = resetEvents = 0;
    AddHandler(QZEVENT_DEVICELOST, [](void*) -> int32_t { ++lostEvents; return 0; }, QZHANDLER_PERSISTENT);
    AddHandler(QZEVENT_DEVICERESET, [](void*) -> int32_t { ++resetEvents; return 0; }, QZHANDLER_PERSISTENT);

    device->Device()->SimulateDeviceLoss();
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->Present());
    EXPECT_EQ((std::vector<std::string>{"lost c", "lost b", "lost a"}), log);
    EXPECT_EQ(1, lostEvents);
    EXPECT_EQ(nullptr, a.texture);
    log.clear();
    // The device still reports loss once, then "not reset": the second frame restores.
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(QZRES_OK, device->BeginScene());
    EXPECT_EQ((std::vector<std::string>{"reset a", "reset b", "reset c"}), log);
    EXPECT_EQ(1, resetEvents);
    EXPECT_NE(nullptr, a.texture);
    EXPECT_TRUE(device->ResourcesLive());
    EXPECT_EQ(QZRES_OK, device->EndScene());
    EXPECT_EQ(QZRES_OK, device->Present());
}

TEST_F(Direct3DTest, AListenerThatKeepsItsMemoryKeepsTheDeviceLost)
{
    TQZDirect3DDevice* device = MakeDevice();
    TestImage stubborn(4, 4, true);
    stubborn.releaseOnLoss = false;
    device->Device()->SimulateDeviceLoss();
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->Present());
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());  // reset refused while memory is held
    stubborn.texture.reset();
    EXPECT_EQ(QZRES_OK, device->BeginScene());
}

TEST_F(Direct3DTest, AListenerLeavesTheDeviceItJoinedWithoutAskingForTheSingleton)
{
    TQZDirect3DDevice* device = MakeDevice();
    const int32_t before = device->ListenerCount();
    auto image = std::make_unique<TestImage>(4, 4, false);
    EXPECT_EQ(device, image->JoinedDevice());
    EXPECT_EQ(before + 1, device->ListenerCount());
    // While the Direct3D object is torn down it shows no device: the image
    // still leaves the one it joined, and leaves no dangling entry there.
    TQZDirect3D* d3d = Direct3D();
    d3d->device = nullptr;
    image.reset();
    d3d->device = device;
    EXPECT_EQ(before, device->ListenerCount());

    // A device that goes first lets go of its listeners.
    auto spare = std::make_unique<TQZDirect3DDevice>(d3d);
    TestImage late(4, 4, false);
    device->RemoveListener(&late);
    spare->AddListener(&late);
    EXPECT_EQ(spare.get(), late.JoinedDevice());
    spare.reset();
    EXPECT_EQ(nullptr, late.JoinedDevice());
}

TEST_F(Direct3DTest, FreedTexturesAndTargetsDoNotStayBound)
{
    TQZDirect3DDevice* device = MakeDevice();
    auto image = std::make_unique<TestImage>(4, 4, true);
    device->SetTexture(image.get());
    EXPECT_EQ(QZRES_OK, device->SetRenderTarget(image.get()));
    EXPECT_EQ(image.get(), device->BoundTexture());
    EXPECT_EQ(image.get(), device->GetRenderTarget());
    image.reset();
    EXPECT_EQ(nullptr, device->BoundTexture());
    EXPECT_EQ(nullptr, device->Device()->GetTexture(0));
    EXPECT_EQ(device->BackBufferObject(), device->GetRenderTarget());
    EXPECT_EQ(0, device->Device()->LiveDefaultPoolObjects());
}

TEST_F(Direct3DTest, ClipStackCombinesRestoresAndNeverOpensAnEmptyClip)
{
    TQZDirect3DDevice* device = MakeDevice();
    TQZClipStack* clip = device->ClipStack();
    clip->Push({10, 10, 50, 40}, true);
    EXPECT_EQ((TQZRect{10, 10, 50, 40}), device->GetClipRect());
    clip->Push({30, 0, 60, 20}, true);
    EXPECT_EQ((TQZRect{30, 10, 50, 20}), device->GetClipRect());
    clip->Push({0, 30, 20, 48}, true);  // does not meet the current clip
    EXPECT_TRUE(clip->Clipping());
    TQZRect empty = device->GetClipRect();
    EXPECT_EQ(empty.left, empty.right);
    clip->Push({0, 0, 64, 48}, true);  // still inside the empty clip
    EXPECT_EQ(0, device->GetClipRect().Width() * device->GetClipRect().Height());
    auto vb = TQZD3DVertexBuffer::Create(device, 4, 6, QZFVF_SCREEN);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    EXPECT_EQ(QZRES_OK, vb->AddQuad({0, 0, 64, 48}, 0xFFFFFFFF, {}));
    EXPECT_EQ(QZRES_OK, vb->DrawPending());
    for (int32_t y = 0; y < 48; y += 3)
        for (int32_t x = 0; x < 64; x += 3) ASSERT_EQ(kUntouched, BackPixel(x, y)) << x << "," << y;
    clip->Pop();
    clip->Pop();
    EXPECT_EQ((TQZRect{30, 10, 50, 20}), device->GetClipRect());
    clip->Pop();
    clip->Pop();
    EXPECT_EQ((TQZRect{}), device->GetClipRect());
    clip->Push({5, 5, 5, 5}, false);  // a point switches clipping off
    EXPECT_EQ((TQZRect{}), device->GetClipRect());
    clip->Pop();
    EXPECT_EQ((TQZRect{}), device->GetClipRect());
}

TEST_F(Direct3DTest, WrappingVertexBufferDrawsWhatItHoldsAndStartsAgain)
{
    TQZDirect3DDevice* device = MakeDevice();
    auto vb = TQZD3DVertexBuffer::Create(device, 16, 24, QZFVF_SCREEN);
    ASSERT_NE(nullptr, vb);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(QZRES_OK, vb->AddQuad({i, 0, i + 1, 1}, 0xFFFFFFFF, {}));
    EXPECT_EQ(0, device->drawCalls);
    EXPECT_EQ(QZRES_D3D_BUFFERWRAPPED, vb->AddQuad({4, 0, 5, 1}, 0xFFFFFFFF, {}));
    EXPECT_EQ(1, device->drawCalls);
    EXPECT_EQ(8, device->triangles);
    EXPECT_EQ(4, vb->VerticesUsed());
    EXPECT_EQ(QZRES_OK, vb->DrawPending());
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(0xFFFFFFFFu, BackPixel(x, 0)) << x;
    EXPECT_EQ(kUntouched, BackPixel(5, 0));

    vb->wrapWhenFull = false;
    vb->Clear();
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(QZRES_OK, vb->AddQuad({i, 2, i + 1, 3}, 0xFFFFFFFF, {}));
    EXPECT_EQ(QZRES_D3D_BUFFERFULL, vb->AddQuad({4, 2, 5, 3}, 0xFFFFFFFF, {}));
    EXPECT_EQ(16, vb->VerticesUsed());
}

TEST_F(Direct3DTest, LargeBuffersUseWideIndices)
{
    TQZDirect3DDevice* device = MakeDevice(200, 100);
    const int32_t quads = 16400;  // beyond 65536 vertices
    auto vb = TQZD3DVertexBuffer::Create(device, quads * 4, quads * 6, QZFVF_SCREEN);
    ASSERT_NE(nullptr, vb);
    EXPECT_TRUE(vb->indices32);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    for (int32_t i = 0; i < quads; ++i) {
        int32_t x = i % 200, y = i / 200;
        ASSERT_EQ(QZRES_OK, vb->AddQuad({x, y, x + 1, y + 1}, 0xFF000000u | uint32_t(i), {}));
    }
    EXPECT_EQ(QZRES_OK, vb->DrawPending());
    EXPECT_EQ(0xFF000000u | 16399u, BackPixel(16399 % 200, 16399 / 200));
    EXPECT_EQ(0xFF000000u | 16384u, BackPixel(16384 % 200, 16384 / 200));
}

TEST_F(Direct3DTest, RecordingCacheBatchesQuadsOfOneTexture)
{
    MakeDevice();
    TestImage image(4, 4, false);
    auto cache = TQZRenderCache::Create(64);
    ASSERT_NE(nullptr, cache);
    cache->SetTexture(&image);
    cache->AddQuad({0, 0, 4, 4}, 0xFFFFFFFF, {0, 0, 1, 1});
    cache->SetTexture(&image);  // unchanged: nothing recorded
    cache->AddQuad({4, 0, 8, 4}, 0xFFFFFFFF, {0, 0, 1, 1});
    cache->EndCache();
    const auto& cmds = cache->Commands();
    ASSERT_EQ(2u, cmds.size());
    EXPECT_EQ(QZCMD_TEXTURE, cmds[0].kind);
    EXPECT_EQ(&image, cmds[0].texture);
    EXPECT_EQ(QZCMD_DRAW, cmds[1].kind);
    EXPECT_EQ(0, cmds[1].args[0]);
    EXPECT_EQ(8, cmds[1].args[1]);
    EXPECT_EQ(0, cmds[1].args[2]);
    EXPECT_EQ(12, cmds[1].args[3]);
    cache->BeginCache();
    cache->SetTexture(&image);  // after BeginCache the texture is unknown again
    EXPECT_EQ(3u, cache->Commands().size());
    // A state change ends the batch.
    cache->AddQuad({0, 4, 4, 8}, 0xFFFFFFFF, {0, 0, 1, 1});
    cache->SetRenderState(sg::kRsSrcBlend, sg::kBlendOne);
    ASSERT_EQ(5u, cache->Commands().size());
    EXPECT_EQ(QZCMD_DRAW, cache->Commands()[3].kind);
    EXPECT_EQ(8, cache->Commands()[3].args[0]);
}

TEST_F(Direct3DTest, GrowableCacheKeepsEveryQuadAndReplaysThemInOneDraw)
{
    TQZDirect3DDevice* device = MakeDevice(80, 8);
    auto cache = TQZRenderCache::Create(64);
    cache->growable = true;
    for (int32_t i = 0; i < 65; ++i) cache->AddQuad({i, 0, i + 1, 1}, 0xFF00FF00, {});
    cache->EndCache();
    EXPECT_EQ(192, cache->QuadCapacity());
    ASSERT_EQ(1u, cache->Commands().size());
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    device->SetTexture(nullptr);
    cache->Replay();
    EXPECT_EQ(1, device->drawCalls);
    for (int32_t x = 0; x < 65; ++x) ASSERT_EQ(0xFF00FF00u, BackPixel(x, 0)) << x;
    EXPECT_EQ(kUntouched, BackPixel(65, 0));
    // Replaying again draws the same again.
    // Setup: what the test checks after it shows whether it took.
    (void)device->Device()->Clear(0, nullptr, sg::kClearTarget, 0, 1, 0);
    cache->Replay();
    EXPECT_EQ(0xFF00FF00u, BackPixel(64, 0));
}

TEST_F(Direct3DTest, ImmediateCacheDrawsEverythingBeyondItsCapacity)
{
    TQZDirect3DDevice* device = MakeDevice(200, 8);
    auto cache = TQZRenderCache::Create(128, true);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    cache->BeginCache();
    for (int32_t i = 0; i < 300; ++i) cache->AddQuad({i % 200, i / 200, i % 200 + 1, i / 200 + 1}, 0xFFFF0000, {});
    cache->EndCache();
    EXPECT_EQ(128, cache->QuadCapacity());
    for (int32_t i = 0; i < 300; ++i) ASSERT_EQ(0xFFFF0000u, BackPixel(i % 200, i / 200)) << i;
    EXPECT_EQ(kUntouched, BackPixel(100, 1));
    EXPECT_TRUE(cache->Commands().empty());
}

TEST_F(Direct3DTest, DynamicBuffersGiveTheirMemoryBackOnLossAndAllocateOnReset)
{
    TQZDirect3DDevice* device = MakeDevice();
    auto dynamic = TQZD3DVertexBuffer::Create(device, 64, 96, QZFVF_SCREEN, QZVB_DYNAMIC);
    auto managed = TQZD3DVertexBuffer::Create(device, 64, 96, QZFVF_SCREEN);
    EXPECT_EQ(2, device->Device()->LiveDefaultPoolObjects());  // vertices and indices
    device->Device()->SimulateDeviceLoss();
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->Present());
    EXPECT_FALSE(dynamic->HasBuffers());
    EXPECT_EQ(64, dynamic->VertexCapacity());
    EXPECT_TRUE(managed->HasBuffers());
    EXPECT_EQ(QZRES_D3D_DEVICELOST, device->BeginScene());
    EXPECT_EQ(QZRES_OK, device->BeginScene());
    EXPECT_TRUE(dynamic->HasBuffers());
    EXPECT_EQ(QZRES_OK, dynamic->AddQuad({0, 0, 2, 2}, 0xFFFFFFFF, {}));
    EXPECT_EQ(QZRES_OK, dynamic->DrawPending());
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(1, 1));
}

TEST_F(Direct3DTest, ResetFollowsTheWindowKindAndVerticalSync)
{
    TQZDirect3D* d3d = Direct3D();
    TQZDirect3DDevice* device = MakeDevice(640, 480);
    EXPECT_EQ(sg::kPresentIntervalOne, device->Parameters().presentationInterval);
    d3d->SetVSync(false);
    EXPECT_EQ(sg::kPresentIntervalImmediate, device->Parameters().presentationInterval);
    // Full screen takes the closest mode of the list, windowed the size asked for.
    EXPECT_EQ(QZRES_OK, device->Reset(1000, 700, QZWINDOW_FULLSCREEN));
    EXPECT_FALSE(device->Parameters().windowed);
    EXPECT_EQ(1024u, device->Parameters().backBufferWidth);
    EXPECT_EQ(768u, device->Parameters().backBufferHeight);
    EXPECT_EQ(QZRES_OK, device->Reset(500, 300, QZWINDOW_WINDOWED));
    EXPECT_TRUE(device->Parameters().windowed);
    EXPECT_EQ(500u, device->Parameters().backBufferWidth);
    EXPECT_EQ(sg::kFormatX8R8G8B8, device->Parameters().backBufferFormat);
    // A refused size leaves the device waiting for the next try.
    EXPECT_EQ(QZRES_FAILED, device->Reset(0, 300, QZWINDOW_WINDOWED));
    EXPECT_EQ(QZRES_OK, device->Reset(320, 200, QZWINDOW_WINDOWED));
    device->ReleaseDevice();
    EXPECT_EQ(QZRES_D3D_NODEVICE, device->Reset(320, 200, QZWINDOW_WINDOWED));
    EXPECT_EQ(QZRES_D3D_NODEVICE, device->Clear(0));
}

TEST_F(Direct3DTest, DeviceCreationTriesTwiceAndCachesNeedADevice)
{
    TQZDirect3D* d3d = Direct3D();
    EXPECT_EQ(nullptr, TQZRenderCache::Create(64));  // no device yet: no buffer, no cache
    d3d->System()->SetFailDeviceCreation(2);
    EXPECT_EQ(QZRES_FAILED, d3d->CreateDevice(nullptr, 64, 48, QZWINDOW_WINDOWED));
    EXPECT_FALSE(d3d->IsValid());
    d3d->System()->SetFailDeviceCreation(1);  // the second try, with software processing, works
    EXPECT_EQ(QZRES_OK, d3d->CreateDevice(nullptr, 64, 48, QZWINDOW_WINDOWED));
    EXPECT_TRUE(d3d->IsValid());
    EXPECT_NE(nullptr, TQZRenderCache::Create(64));
    EXPECT_EQ(nullptr, TQZRenderCache::Create(0));
    EXPECT_EQ(QZRES_D3D_NOSCENE, d3d->device->EndScene());
}

TEST_F(Direct3DTest, DefaultStatesForgetTheBoundBuffer)
{
    TQZDirect3DDevice* device = MakeDevice();
    auto vb = TQZD3DVertexBuffer::Create(device, 8, 12, QZFVF_SCREEN);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    EXPECT_EQ(QZRES_OK, vb->AddQuad({0, 0, 2, 2}, 0xFFFFFFFF, {}));
    EXPECT_EQ(QZRES_OK, vb->DrawPending());
    EXPECT_EQ(vb.get(), device->BoundVertexBuffer());
    device->SetDefaultStates();  // unbinds stream 0
    EXPECT_EQ(QZRES_OK, vb->AddQuad({4, 0, 6, 2}, 0xFFFFFFFF, {}));
    EXPECT_EQ(QZRES_OK, vb->DrawPending());
    EXPECT_EQ(0xFFFFFFFFu, BackPixel(5, 1));
}

TEST_F(Direct3DTest, ImmediateCacheKeepsEachQuadsTextureAcrossRestarts)
{
    TQZDirect3DDevice* device = MakeDevice(200, 8);
    TestImage red(1, 1, false), blue(1, 1, false);
    red.Fill(0xFFFF0000);
    blue.Fill(0xFF0000FF);
    auto cache = TQZRenderCache::Create(128, true);
    ASSERT_EQ(QZRES_OK, device->BeginScene());
    cache->BeginCache();
    // Runs of 50 quads per texture: restarts fall in the middle of runs.
    for (int32_t i = 0; i < 300; ++i) {
        cache->SetTexture((i / 50) % 2 ? &blue : &red);
        cache->AddQuad({i % 200, i / 200, i % 200 + 1, i / 200 + 1}, 0xFFFFFFFF, {0, 0, 1, 1});
    }
    cache->EndCache();
    for (int32_t i = 0; i < 300; ++i)
        ASSERT_EQ((i / 50) % 2 ? 0xFF0000FFu : 0xFFFF0000u, BackPixel(i % 200, i / 200)) << i;
}

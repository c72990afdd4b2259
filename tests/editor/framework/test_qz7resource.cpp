// The typed resource manager and tile sets, over image files written here.
#include "guitestutil.h"

#include "imImage.h"
#include "qz7fonts.h"
#include "qz7guiimage.h"
#include "qz7resource.h"
#include "qz7texturetileset.h"
#include "testutil.h"

namespace {

class ResourceTest : public guitest::PixelFixture {
protected:
    void SetUp() override
    {
        PixelFixture::SetUp();
        rm = GetResourceManager();
        ASSERT_NE(nullptr, rm);
    }
    // A PNG of one colour.
    std::string Png(const std::string& name, int32_t w, int32_t h, uint32_t argb = 0xFF336699)
    {
        plat::imaging::Image img;
        (void)img.Allocate(w, h, argb);  // setup: what the test checks after it shows whether it took
        std::vector<uint8_t> bytes;
        // Setup: what the test checks after it shows whether it took.
        (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, bytes);
        vqtest::WriteFile(dir.File(name), std::string(bytes.begin(), bytes.end()));
        return dir.File(name);
    }

    vqtest::TempDir dir;
    TQZResourceManager* rm = nullptr;
};

TEST_F(ResourceTest, ATextureAskedForTwiceIsLoadedOnce)
{
    rm->AddDescriptor(QZRES_TEXTURE, "Corner", Png("corner.png", 8, 8));
    TQZTexture* first = rm->Textures().Get("Corner");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, rm->Textures().Get("Corner"));
    EXPECT_EQ(1, rm->Textures().Count());
    EXPECT_TRUE(rm->IsLoaded(QZRES_TEXTURE, "Corner"));
    EXPECT_EQ(8, first->GetWidth());
    EXPECT_EQ(QZRES_OK, rm->Load(rm->Descriptors()[0]));  // present already
    EXPECT_EQ(1, rm->Textures().Count());
}

TEST_F(ResourceTest, NamesAreCaseSensitive)
{
    rm->AddDescriptor(QZRES_TEXTURE, "Corner", Png("corner.png", 8, 8));
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_TEXTURE, "corner"));
    EXPECT_EQ(-1, rm->FindDescriptor(QZRES_SURFACE, "Corner"));
    EXPECT_FALSE(rm->Textures().Contains("CORNER"));
    try {
        rm->Textures().Get("corner");
        FAIL() << "no error";
    } catch (const EQZResourceError& e) {
        EXPECT_STREQ("TQZResourceCollectionTexture: \"corner\" not found in resource descriptors", e.what());
    }
    rm->raiseOnFailure = false;
    EXPECT_EQ(nullptr, rm->Textures().Get("corner"));
    EXPECT_EQ(-1, rm->Find(QZRES_FONT, "Corner"));
}

TEST_F(ResourceTest, AFileThatWillNotLoadRaisesOrGivesMinusOne)
{
    rm->AddDescriptor(QZRES_TEXTURE, "Gone", dir.File("gone.png"));
    try {
        (void)rm->LoadOnDemand(QZRES_TEXTURE, "Gone");
        FAIL() << "no error";
    } catch (const EQZResourceError& e) {
        EXPECT_EQ("TQZResourceManager: failed to load resource \"" + dir.File("gone.png") + "\"", e.what());
    }
    rm->raiseOnFailure = false;
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_TEXTURE, "Gone"));
    rm->AddDescriptor(QZRES_SOUND, "Beep", dir.File("beep.wav"));
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_SOUND, "Beep"));
    rm->AddDescriptor(QZRES_USER, "Mine", dir.File("x"));
    EXPECT_EQ(QZRES_FAILED, rm->Load(rm->Descriptors().back()));
    rm->AddDescriptor(QZRES_MUSIC, "Song", dir.File("song.ogg"));
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_MUSIC, "Song"));  // no music player installed
}

TEST_F(ResourceTest, TileSetsCutTheirTextureIntoSquares)
{
    rm->AddDescriptor(QZRES_TILESET, "Tiles", Png("tiles.png", 100, 64), 32);
    TQZTileset* set = rm->Tilesets().GetItem(rm->LoadOnDemand(QZRES_TILESET, "Tiles"));
    ASSERT_NE(nullptr, set);
    EXPECT_TRUE(set->Loaded());
    EXPECT_EQ(3, set->Columns());
    EXPECT_EQ(2, set->Rows());
    EXPECT_EQ((TQZRect{32, 32, 64, 64}), set->TileRect(4));
    EXPECT_EQ((TQZRect{}), set->TileRect(6));
    EXPECT_EQ(nullptr, CreateTileset(dir.File("none.png"), 32, 0xFFFF00FF));
}

TEST_F(ResourceTest, ATileSizeBelowOneIsRefused)
{
    EXPECT_EQ(nullptr, CreateTileset(Png("tiles.png", 100, 64), 0, 0xFFFF00FF));
    rm->raiseOnFailure = false;
    rm->AddDescriptor(QZRES_TILESET, "Zero", dir.File("tiles.png"), 0);
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_TILESET, "Zero"));
}

TEST_F(ResourceTest, TextureOptionsAskForAnySizeInAnyCase)
{
    EXPECT_TRUE(TQZResourceManager::WantsNonPowerOfTwo("nonpow2"));
    EXPECT_TRUE(TQZResourceManager::WantsNonPowerOfTwo("NONPOW2"));
    EXPECT_FALSE(TQZResourceManager::WantsNonPowerOfTwo("NONPOW"));
    rm->AddDescriptor(QZRES_TEXTURE, "Odd", Png("odd.png", 30, 20), 0, "nonpow2");
    TQZTexture* t = rm->Textures().Get("Odd");
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(30, t->GetWidth());
}

TEST_F(ResourceTest, SurfacesServeImagesThatHaveNoTexture)
{
    rm->AddDescriptor(QZRES_SURFACE, "Back", Png("back.png", 20, 10));
    auto image = TQZGUIWindow::CreateRoot<TQZGUIImage>({0, 0, 40, 40});
    image->SetResourceID("Back");
    EXPECT_EQ(QZIMAGE_SURFACE_RESOURCE, image->SourceKind());
    EXPECT_EQ((TQZPoint{20, 10}), image->PictureSize());
    rm->AddDescriptor(QZRES_TEXTURE, "Back", Png("back2.png", 4, 4));
    image->SetResourceID("Back");  // looked up again: textures first
    EXPECT_EQ(QZIMAGE_TEXTURE_RESOURCE, image->SourceKind());
    EXPECT_EQ((TQZPoint{4, 4}), image->PictureSize());
}

// A `.qz7` font: 96 glyphs of one white 64 x 16 texture embedded as PNG.
std::string FontFile()
{
    vqtest::Bytes b = {'Q', 'Z', '7', 'f'};
    vqtest::PutLE32(b, 4, 16);
    vqtest::PutLE32(b, 8, 32);
    vqtest::PutLE32(b, 12, 1920);
    vqtest::PutLE32(b, 24, 4);
    for (uint32_t n = 0; n < 96; ++n) {
        const size_t r = 32 + 20 * n;
        vqtest::PutLE32(b, r, 10);
        vqtest::PutFloatLE(b, r + 4, 0.0f);
        vqtest::PutFloatLE(b, r + 8, 0.0f);
        vqtest::PutFloatLE(b, r + 12, 0.5f);
        vqtest::PutFloatLE(b, r + 16, 1.0f);
    }
    vqtest::PutLE32(b, 16, 0);
    vqtest::PutLE32(b, 20, uint32_t(b.size()));
    plat::imaging::Image img;
    (void)img.Allocate(64, 16, 0xFFFFFFFF);  // setup: what the test checks after it shows whether it took
    std::vector<uint8_t> png;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, png);
    b.insert(b.end(), png.begin(), png.end());
    return std::string(b.begin(), b.end());
}

TEST_F(ResourceTest, FontDescriptorsRegisterTheirFaceAndAlias)
{
    vqtest::WriteFile(dir.File("pelmar.qz7"), FontFile());
    rm->AddDescriptor(QZRES_FONT, "PelmarMini:small", dir.File("pelmar.qz7"), 10, "tiny");
    EXPECT_EQ(QZRES_OK, rm->Load(rm->Descriptors()[0]));
    TQZFont* font = GetFonts()->GetFontPlain("PelmarMini", 10);
    ASSERT_NE(nullptr, font);
    EXPECT_NE(nullptr, dynamic_cast<TQZFontTexture*>(font));
    EXPECT_EQ(font, GetFonts()->FontByAlias("TINY"));
    EXPECT_EQ(-1, rm->LoadOnDemand(QZRES_FONT, "PelmarMini:small"));  // fonts keep no collection
}

}  // namespace

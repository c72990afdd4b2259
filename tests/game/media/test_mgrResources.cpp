#include "clAnimBackdrop.h"
#include "clCardGraphics.h"
#include "coreGameDiagnostics.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "runtimefixture.h"

#include <gtest/gtest.h>

namespace {

using mediatest::PixelOf;
using mediatest::TextureColour;

constexpr const char* kWarning = "Vantorel Qar - Warning: ";

class ResourcesTest : public mediatest::MediaFixture {
protected:
    std::string Title()
    {
        TCardGraphics* cs = Resources->GetCardset();
        return cs ? cs->Title : "(none)";
    }
};

TEST_F(ResourcesTest, StartUpLoadsThePackedTexturesAndFontsAndTheChoicesOnFirstUse)
{
    runtime.Everything();
    Start();
    ASSERT_NE(nullptr, Resources);
    EXPECT_EQ(ManagerDescription(MGR_RESOURCES), "Resource Manager");
    for (int32_t id = 1; id <= 31; ++id) {
        ASSERT_TRUE(Resources->IsLoaded(RES_TEXTURE, id)) << id;
        EXPECT_EQ(TextureColour(id), PixelOf(Resources->GetTexture(id), 1, 1)) << id;
    }
    for (int32_t id = 1; id <= 5; ++id) EXPECT_NE(nullptr, Resources->GetFont(id)) << id;
    EXPECT_FALSE(Resources->IsLoaded(RES_CARDSET, 1)) << "choices load on first use";
    EXPECT_EQ("Basic", Title());
    EXPECT_EQ(0xFF0000C0u, PixelOf(Resources->GetTexture(TEXTURE_CARDBACK), 3, 3));
    ASSERT_NE(nullptr, Resources->GetBackdrop(1));
    EXPECT_NE(nullptr, Resources->GetBackdrop(1)->Image());
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(ResourcesTest, IdsOutsideTheTablesGiveNothing)
{
    runtime.Everything();
    Start();
    EXPECT_EQ(nullptr, Resources->GetTexture(0));
    EXPECT_EQ(nullptr, Resources->GetTexture(33));
    EXPECT_EQ(nullptr, Resources->GetTexture(-1));
    EXPECT_EQ(nullptr, Resources->GetTexture(100000));
    EXPECT_EQ(nullptr, Resources->GetFont(6));
    EXPECT_EQ(nullptr, Resources->GetSound(9));
    EXPECT_EQ(nullptr, Resources->GetBackdrop(2));
    EXPECT_EQ(nullptr, Resources->Get(RES_KINDS, 1));
    EXPECT_EQ(nullptr, Resources->Get(-1, 1));
    EXPECT_FALSE(Resources->IsLoaded(7, 1));
    Resources->Unload(RES_TEXTURE, 40);
    EXPECT_EQ(0, Resources->UnloadCount());
}

TEST_F(ResourcesTest, AMissingChoiceFallsBackToTheFirstFileOfItsFolderWithOneWarning)
{
    runtime.Everything();
    runtime.Write("Cardsets/Another.cards", mediatest::TwoCardset("Another", 0xFF800000));
    runtime.Defaults("Video.Cardface=\"Gone.cards\"\r\n");
    Start();
    EXPECT_EQ("Another", Title());
    EXPECT_EQ("Another", Title());
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string(kWarning) +
                                                    "Unable to load file \"Cardsets/Gone.cards\" - attempting to "
                                                    "determine substitute file"});
}

TEST_F(ResourcesTest, ChoicesNamedWithBackslashesAndAnyCaseAreFound)
{
    runtime.Everything();
    runtime.Defaults("Video.Cardface=\"BASIC.CARDS\"\r\nVideo.Cardback=\"blue.PNG\"\r\n");
    Start();
    EXPECT_EQ("Basic", Title());
    EXPECT_NE(nullptr, Resources->GetTexture(TEXTURE_CARDBACK));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(ResourcesTest, AChoiceThatFailsToLoadWarnsOnceAndIsNotRetriedUntilItsSettingChanges)
{
    runtime.Everything();
    runtime.Write("Cardsets/Broken.cards", std::string(600, 'x'));
    runtime.Write("Cardbacks/Broken.png", std::string("not a picture"));
    runtime.Write("Tables/Broken.jpg", std::string("not a picture"));
    runtime.Defaults("Video.Cardface=\"Broken.cards\"\r\nVideo.Cardback=\"Broken.png\"\r\nVideo.Table=\"Broken.jpg\"\r\n");
    Start();
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(nullptr, Resources->GetCardset());
        EXPECT_EQ(nullptr, Resources->GetTexture(TEXTURE_CARDBACK));
        EXPECT_EQ(nullptr, Resources->GetBackdrop(1));
    }
    EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{
                               std::string(kWarning) + "ERROR failed to load cardface \"Cardsets/Broken.cards\"",
                               std::string(kWarning) + "ERROR failed to load texture \"Cardbacks/Broken.png\"",
                               std::string(kWarning) + "ERROR failed to load backdrop \"Tables/Broken.jpg\"",
                           }));
    EXPECT_TRUE(Resources->LoadFailed(RES_CARDSET, 1));

    // A new choice is tried at once.
    SetSetting("Video.Cardface", "Basic.cards");
    EXPECT_TRUE(Resources->IsLoaded(RES_CARDSET, 1));
    EXPECT_EQ("Basic", Title());
    EXPECT_FALSE(Resources->LoadFailed(RES_CARDSET, 1));
    // Setting the broken one again tries it again: one more warning, and
    // the cardset shown before stays.
    SetSetting("Video.Cardface", "Broken.cards");
    EXPECT_EQ("Basic", Title());
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string(kWarning) +
                                                    "ERROR failed to load cardface \"Cardsets/Broken.cards\""});
}

TEST_F(ResourcesTest, ANewChoiceReplacesTheLoadedOneAndCountsTheUnload)
{
    runtime.Everything();
    runtime.Write("Tables/Red.jpg", mediatest::PngOf(16, 16, 0xFFC00000));
    runtime.Write("Cardsets/Another.cards", mediatest::TwoCardset("Another", 0xFF800000));
    Start();
    std::vector<std::string> console;
    SetAdminConsole(nullptr);  // drops what earlier tests left waiting
    SetAdminConsole([&](const std::string& line) { console.push_back(line); });
    TAnimatedBackdrop* before = Resources->GetBackdrop(1);
    ASSERT_NE(nullptr, before);
    EXPECT_EQ(64, before->Image()->GetSize().x);
    SetSetting("Video.Table", "Red.jpg");
    ASSERT_NE(nullptr, Resources->GetBackdrop(1));
    EXPECT_EQ(16, Resources->GetBackdrop(1)->Image()->GetSize().x);
    EXPECT_EQ(1, Resources->UnloadCount());
    SetSetting("Video.Cardface", "Another.cards");
    EXPECT_EQ(1, Resources->UnloadCount()) << "nothing was loaded to unload";
    EXPECT_EQ("Another", Title());
    // Other keys of the group load nothing, those below a choice's key too.
    SetSetting("Video.Table.TileBelowSize", "5");
    EXPECT_EQ(1, Resources->UnloadCount());
    SetAdminConsole(nullptr);
    EXPECT_EQ(console, (std::vector<std::string>{"Clearing 0 messages.", "OnSettingChange: \"Table\"",
                                                 "OnSettingChange: \"Cardface\"", "OnSettingChange: \"Tilebelowsize\""}));
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(ResourcesTest, ACardsetWhoseTexturesWereLostIsLoadedAgain)
{
    runtime.Everything();
    Start();
    TCardGraphics* first = Resources->GetCardset();
    ASSERT_NE(nullptr, first);
    // A render target whose contents could not be made again after a reset.
    std::unique_ptr<TQZTexture> lost;
    ASSERT_EQ(QZRES_OK, TQZTexture::CreateRenderTarget(lost, 8, 8));
    lost->OnLostDevice();
    const int32_t max = Direct3D()->maxTextureWidth;
    Direct3D()->maxTextureWidth = 4;
    lost->OnResetDevice();
    Direct3D()->maxTextureWidth = max;
    first->SetImage(0, std::move(lost));
    EXPECT_NE(nullptr, first->GetImage(0));
    EXPECT_TRUE(first->TexturesLost());
    TCardGraphics* again = Resources->GetCardset();
    ASSERT_NE(nullptr, again);
    EXPECT_FALSE(again->TexturesLost());
    EXPECT_FALSE(again->HasImage(0));
    EXPECT_EQ(1, Resources->UnloadCount());
}

TEST_F(ResourcesTest, SoundsLoadOnlyWhileAudioPlays)
{
    runtime.Everything();
    Start();
    ASSERT_TRUE(Audio->IsReady());
    EXPECT_TRUE(Resources->IsLoaded(RES_SOUND, SOUND_CARDPLAY));
    Resources->Unload(RES_SOUND, SOUND_CARDPLAY);
    SetSetting("Audio.Enabled", "false");
    EXPECT_FALSE(Audio->IsReady());
    EXPECT_EQ(nullptr, Resources->GetSound(SOUND_CARDPLAY));
    EXPECT_FALSE(Resources->LoadFailed(RES_SOUND, SOUND_CARDPLAY)) << "not loading is no failure";
    SetSetting("Audio.Enabled", "true");
    EXPECT_NE(nullptr, Resources->GetSound(SOUND_CARDPLAY));
}

// Fatal errors end the process; their text reaches standard error through
// the log.
class ResourcesDeathTest : public ResourcesTest {
protected:
    vqtest::ScopedEnv logToStderr_{kLogToStderrVariable, "1"};
};

TEST_F(ResourcesDeathTest, AMissingArchiveIsFatalNamingTheFirstTexture)
{
    runtime.Everything();
    runtime.Remove("Assets/Misc/Textures.ice");
    EXPECT_EXIT(Start(), ::testing::ExitedWithCode(kFatalExitCode),
                "Expected texture \"1\" in icedata; not found, terminating application\\.");
}

TEST_F(ResourcesDeathTest, APackedTextureThatDoesNotDecodeIsFatal)
{
    runtime.Everything();
    runtime.Textures({}, {5});
    EXPECT_EXIT(Start(), ::testing::ExitedWithCode(kFatalExitCode), "Fatal error - failed to load \"5 from IceData\\.");
}

TEST_F(ResourcesDeathTest, AnEmptyChoiceFolderIsFatalNamingTheFolder)
{
    runtime.Everything();
    runtime.Remove("Cardsets/Basic.cards");
    runtime.Defaults("Video.Cardface=\"Gone.cards\"\r\n");
    Start();
    EXPECT_EXIT(Resources->GetCardset(), ::testing::ExitedWithCode(kFatalExitCode),
                "Unable to load file \"Cardsets/\" - terminating application");
}

TEST_F(ResourcesDeathTest, AMissingSoundFileIsFatal)
{
    runtime.Everything();
    runtime.Remove("Assets/Audio/Trick.wav");
    EXPECT_EXIT(Start(), ::testing::ExitedWithCode(kFatalExitCode),
                "Unable to load file \"Assets/Audio/Trick.wav\" - terminating application");
}

TEST(ContentManagerTest, IdsAreCheckedAndAFullTableGrowsBySixteen)
{
    TQZContentManager table(32);
    for (int32_t id = 1; id <= 32; ++id) ASSERT_EQ(QZRES_OK, table.Add(std::make_unique<TQZClass>(), id));
    EXPECT_EQ(0, table.FirstFreeId());
    EXPECT_EQ(QZRES_OK, table.Add(std::make_unique<TQZClass>(), 0));
    EXPECT_EQ(48, table.Capacity());
    EXPECT_TRUE(table.Has(33));
    EXPECT_EQ(34, table.FirstFreeId());
    EXPECT_EQ(QZRES_CONTENT_BADID, table.Add(std::make_unique<TQZClass>(), 49));
    EXPECT_EQ(QZRES_CONTENT_BADID, table.Add(std::make_unique<TQZClass>(), -1));
    EXPECT_EQ(QZRES_CONTENT_INUSE, table.Add(std::make_unique<TQZClass>(), 5));
    EXPECT_EQ(nullptr, table.Get(0));
    EXPECT_EQ(nullptr, table.Get(49));
    EXPECT_EQ(nullptr, table.Get(-7));
    EXPECT_EQ(QZRES_CONTENT_BADID, table.Remove(49));
    EXPECT_EQ(QZRES_OK, table.Remove(40)) << "an empty slot is no error";
    EXPECT_EQ(QZRES_OK, table.Remove(5));
    EXPECT_EQ(5, table.FirstFreeId());
    table.Clear();
    EXPECT_EQ(1, table.FirstFreeId());
}

TEST(ResourceTableTest, FortySevenRowsInLoadOrder)
{
    const auto& t = ResourceTable();
    ASSERT_EQ(47u, t.size());
    EXPECT_STREQ("Title2.png", t[0].name);
    EXPECT_STREQ("AIAvatars.png", t[30].name);
    EXPECT_STREQ("Assets\\Misc\\", t[30].folder);
    EXPECT_EQ(RES_SOUND, t[31].kind);
    EXPECT_STREQ("Dealing.mp3", t[34].name);
    EXPECT_STREQ("Assets\\Audio\\", t[34].folder);
    EXPECT_STREQ("monospace20.qz7", t[43].name);
    EXPECT_EQ(TEXTURE_CARDBACK, t[44].id);
    EXPECT_STREQ("Video.Cardback", t[44].name);
    EXPECT_EQ(RES_BACKDROP, t[45].kind);
    EXPECT_STREQ("Video.Table", t[45].name);
    EXPECT_EQ(RES_CARDSET, t[46].kind);
    EXPECT_STREQ("Cardsets\\", t[46].folder);
    for (size_t i = 44; i < 47; ++i) EXPECT_EQ(1, t[i].group);
}

}  // namespace

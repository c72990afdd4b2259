// The resource manager as the cardset editor runs it: started under the
// editor's identity with only the settings and loader managers beside it
// (no game audio or video manager), loading each resource when first asked.
#include "clAnimBackdrop.h"
#include "clCardGraphics.h"
#include "coreGameDiagnostics.h"
#include "ioLoader.h"
#include "mgrAudio.h"
#include "qz7audio.h"
#include "qz7fonts.h"
#include "qz7icedata.h"
#include "qz7texture.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"
#include "runtimefixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using mediatest::PixelOf;
using mediatest::PngOf;
using mediatest::TextureColour;

constexpr const char* kWarning = "Vantorel Qar - Warning: ";

// Blending may round each channel by one.
bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1) return false;
    return true;
}

class EditorResourcesTest : public mediatest::MediaFixture {
protected:
    void SetUp() override
    {
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart(QZ_EDITOR_IDENTITY);
        ASSERT_TRUE(EditorVariant());
        ASSERT_EQ(QZRES_OK, GetVideo()->SetMode(128, 96, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                                QZWINDOW_WINDOWED, 0));
    }
    void StartEditor()
    {
        ResetManagerRegistry();
        RegisterSettingsManager();
        RegisterLoadersManager();
        RegisterEditorResourcesManager();
        CreateManagers();
        ASSERT_NE(nullptr, Resources);
    }
    static void OpenAudioDevice() { ASSERT_EQ(QZRES_OK, AudioDevice()->InitDevice(-1, 44100)); }
    std::string Title()
    {
        TCardGraphics* cs = Resources->GetCardset();
        return cs ? cs->Title : "(none)";
    }
};

TEST_F(EditorResourcesTest, EveryKindLoadsOnFirstUseWithoutTheGamesAudioAndVideoManagers)
{
    runtime.Everything();
    OpenAudioDevice();
    StartEditor();
    EXPECT_FALSE(IsManagerCreated(MGR_AUDIO));
    EXPECT_FALSE(IsManagerCreated(MGR_VIDEO));
    EXPECT_EQ(ManagerDescription(MGR_RESOURCES), "Resource Manager");
    for (int32_t kind = 0; kind < RES_KINDS; ++kind)
        EXPECT_FALSE(Resources->IsLoaded(kind, 1)) << "nothing loads at start, kind " << kind;
    for (int32_t id = 1; id <= 31; ++id) {
        ASSERT_NE(nullptr, Resources->GetTexture(id)) << id;
        EXPECT_EQ(TextureColour(id), PixelOf(Resources->GetTexture(id), 1, 1)) << id;
    }
    for (int32_t id = 1; id <= 8; ++id) EXPECT_NE(nullptr, Resources->GetSound(id)) << "sound " << id;
    for (int32_t id = 1; id <= 5; ++id) EXPECT_NE(nullptr, Resources->GetFont(id)) << "font " << id;
    EXPECT_EQ("Basic", Title());
    EXPECT_EQ(0xFF0000C0u, PixelOf(Resources->GetTexture(TEXTURE_CARDBACK), 3, 3));
    ASSERT_NE(nullptr, Resources->GetBackdrop(1));
    ASSERT_NE(nullptr, Resources->GetBackdrop(1)->Image());
    EXPECT_EQ(64, Resources->GetBackdrop(1)->Image()->GetSize().x);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(EditorResourcesTest, CardsComposedWhileItRunsGetTheIndexSheet)
{
    runtime.Everything();
    // An index sheet of one colour, large enough to hold every cell.
    TQZIceData archive;
    for (uint32_t id = 1; id <= 31; ++id) {
        const int32_t side = id == TEXTURE_INDEX_SHEET ? 400 : 4;
        std::vector<uint8_t> png = PngOf(side, side, TextureColour(int32_t(id)));
        archive.AddChildBuffer(id, png.data(), int32_t(png.size()));
    }
    ASSERT_TRUE(archive.SaveToFile(runtime.Path() + "Assets/Misc/Textures.ice"));
    StartEditor();
    auto picture = std::make_unique<TQZTexture>();
    ASSERT_EQ(QZRES_OK, picture->CreateD3DTexture(71, 96));
    std::unique_ptr<TQZTexture> composed = ComposeCardImage(52, picture.get(), false, {71, 96});
    ASSERT_NE(nullptr, composed);
    // The joker's cell lands in both top corners.
    EXPECT_TRUE(Near(TextureColour(TEXTURE_INDEX_SHEET), PixelOf(composed.get(), 3, 3)));
    EXPECT_TRUE(Near(TextureColour(TEXTURE_INDEX_SHEET), PixelOf(composed.get(), 67, 3)));
    // Once the manager is gone, nothing hands out a freed sheet.
    FreeManagers();
    composed = ComposeCardImage(52, picture.get(), false, {71, 96});
    ASSERT_NE(nullptr, composed);
    EXPECT_FALSE(Near(TextureColour(TEXTURE_INDEX_SHEET), PixelOf(composed.get(), 3, 3)));
}

TEST_F(EditorResourcesTest, SoundsWaitSilentlyUntilTheAudioDeviceIsOpen)
{
    runtime.Everything();
    StartEditor();
    EXPECT_FALSE(Resources->IsLoaded(RES_SOUND, SOUND_CARDPLAY));
    EXPECT_EQ(nullptr, Resources->GetSound(SOUND_CARDPLAY));
    EXPECT_FALSE(Resources->LoadFailed(RES_SOUND, SOUND_CARDPLAY)) << "not loading is no failure";
    OpenAudioDevice();
    EXPECT_NE(nullptr, Resources->GetSound(SOUND_CARDPLAY));
    EXPECT_TRUE(TakeBoxes().empty());
}

// A choice whose file is gone: one warning, then the first file its folder
// lists, which is a working resource.
TEST_F(EditorResourcesTest, AMissingChoiceOfEachKindFallsBackToTheFirstFileOfItsFolder)
{
    runtime.Everything();
    runtime.Write("Cardsets/Another.cards", mediatest::TwoCardset("Another", 0xFF800000));
    runtime.Remove("Cardsets/Basic.cards");
    runtime.Defaults("Video.Cardface=\"Gone.cards\"\r\nVideo.Cardback=\"Gone.png\"\r\nVideo.Table=\"Gone.jpg\"\r\n");
    StartEditor();
    EXPECT_EQ("Another", Title());
    ASSERT_NE(nullptr, Resources->GetTexture(TEXTURE_CARDBACK));
    EXPECT_EQ(0xFF0000C0u, PixelOf(Resources->GetTexture(TEXTURE_CARDBACK), 3, 3));
    ASSERT_NE(nullptr, Resources->GetBackdrop(1));
    EXPECT_EQ(64, Resources->GetBackdrop(1)->Image()->GetSize().x);
    const std::string substitute = "\" - attempting to determine substitute file";
    EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{
                               std::string(kWarning) + "Unable to load file \"Cardsets/Gone.cards" + substitute,
                               std::string(kWarning) + "Unable to load file \"Cardbacks/Gone.png" + substitute,
                               std::string(kWarning) + "Unable to load file \"Tables/Gone.jpg" + substitute,
                           }));
}

// A file that is there but does not load: its own error once, an empty
// slot that is not tried again, and everything else still loads.
TEST_F(EditorResourcesTest, ABrokenFileOfEachKindIsReportedAndLoadingGoesOn)
{
    runtime.Everything();
    runtime.Write("Cardsets/Broken.cards", std::string(600, 'x'));
    runtime.Write("Tables/Broken.jpg", std::string("not a picture"));
    runtime.Write("Cardbacks/Broken.png", std::string("not a picture"));
    runtime.Write("Assets/Audio/Trick.wav", std::string("not a sound"));
    runtime.Defaults("Video.Cardface=\"Broken.cards\"\r\nVideo.Table=\"Broken.jpg\"\r\n"
                     "Video.Cardback=\"Broken.png\"\r\n");
    OpenAudioDevice();
    StartEditor();
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(nullptr, Resources->GetCardset());
        EXPECT_EQ(nullptr, Resources->GetBackdrop(1));
        EXPECT_EQ(nullptr, Resources->GetTexture(TEXTURE_CARDBACK));
        EXPECT_EQ(nullptr, Resources->GetSound(SOUND_TRICK));
    }
    EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{
                               std::string(kWarning) + "ERROR failed to load cardface \"Cardsets/Broken.cards\"",
                               std::string(kWarning) + "ERROR failed to load backdrop \"Tables/Broken.jpg\"",
                               std::string(kWarning) + "ERROR failed to load texture \"Cardbacks/Broken.png\"",
                               std::string(kWarning) + "ERROR failed to load audio file \"Assets/Audio/Trick.wav\"",
                           }));
    for (int32_t id : {1, 2, 4, 5, 6, 7, 8}) EXPECT_NE(nullptr, Resources->GetSound(id)) << "sound " << id;
    for (int32_t id = 1; id <= 31; ++id) EXPECT_NE(nullptr, Resources->GetTexture(id)) << id;
    for (int32_t id = 1; id <= 5; ++id) EXPECT_NE(nullptr, Resources->GetFont(id)) << "font " << id;
    // A working choice made afterwards loads at once.
    SetSetting("Video.Cardface", "Basic.cards");
    EXPECT_EQ("Basic", Title());
    EXPECT_TRUE(TakeBoxes().empty());
}

class EditorResourcesDeathTest : public EditorResourcesTest {
protected:
    vqtest::ScopedEnv logToStderr_{kLogToStderrVariable, "1"};
};

TEST_F(EditorResourcesDeathTest, AMissingFileOutsideTheChoiceFoldersIsFatal)
{
    runtime.Everything();
    runtime.Remove("Assets/Misc/alien20.qz7");
    StartEditor();
    EXPECT_NE(nullptr, Resources->GetFont(1));
    EXPECT_EXIT(Resources->GetFont(2), ::testing::ExitedWithCode(kFatalExitCode),
                "Unable to load file \"Assets/Misc/alien20.qz7\" - terminating application");
}

}  // namespace

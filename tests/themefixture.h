// The media managers of the game over a scratch runtime folder, with
// interface textures whose cells have colours of their own, so that a pixel
// tells which cell a widget drew; frames are drawn on the headless device.
#pragma once

#include "imImage.h"
#include "mgrAudio.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "osDesktop.h"
#include "osWindow.h"
#include "qz7direct3d.h"
#include "qz7icedata.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace themetest {

// Colours of the cells the widgets draw from.
constexpr uint32_t kFace = 0xFFC00000;         // button face, normal
constexpr uint32_t kFaceHover = 0xFF00C000;    // hovered
constexpr uint32_t kFacePressed = 0xFF0000C0;  // pressed
constexpr uint32_t kKnob = 0xFFFFFF00;         // knob, normal
constexpr uint32_t kKnobLit = 0xFF00FFFF;      // knob, focused or dragging
constexpr uint32_t kOn = 0xFF20A020;           // on/off switch, on
constexpr uint32_t kOff = 0xFFA02020;          // and off
constexpr uint32_t kFill = 0xFF2060E0;         // progress fill
constexpr uint32_t kTrack = 0xFF404040;        // progress track
constexpr uint32_t kGlyph = 0xFFFFFFFF;        // every glyph is a white block

// The colour of a texture without cells of its own.
inline uint32_t PlainColour(int32_t id)
{
    return 0xFF000000u | uint32_t(id * 8) << 16 | uint32_t(200 - id * 4) << 8 | uint32_t(id * 5);
}

// A picture of size w x h filled by the function of the pixel.
inline std::vector<uint8_t> Picture(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& colour)
{
    plat::imaging::Image img;
    (void)img.Allocate(w, h, 0);  // setup: what the test checks after it shows whether it took
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) img.SetPixel(x, y, colour(x, y));
    std::vector<uint8_t> out;
    // Setup: what the test checks after it shows whether it took.
    (void)plat::imaging::EncodeImage(img, plat::imaging::EncodeFormat::Png, out);
    return out;
}

inline std::vector<uint8_t> TextureOf(int32_t id)
{
    switch (id) {
    case 17:  // three button faces
        return Picture(256, 128, [](int32_t x, int32_t y) {
            return y >= 64 ? kFacePressed : x >= 128 ? kFaceHover : kFace;
        });
    case 18:  // the fill in the top half, the track in the bottom one
        return Picture(256, 64, [](int32_t, int32_t y) { return y < 32 ? kFill : kTrack; });
    case 19:  // knob cells at (0, 0) and (0, 32)
        return Picture(32, 64, [](int32_t, int32_t y) { return y < 32 ? kKnob : kKnobLit; });
    case 20:  // on/off cells at (0, 0) and (0, 32), and 64 to the right
        return Picture(128, 64, [](int32_t, int32_t y) { return y < 32 ? kOn : kOff; });
    default:
        return Picture(32, 32, [id](int32_t, int32_t) { return PlainColour(id); });
    }
}

// A `.qz7` font: 96 glyphs of advance 8 (6 pixels drawn), each the top-left
// quarter of a white 16 x 16 picture, lines 14 high.
inline std::string Qz7Font()
{
    vqtest::Bytes b = {'Q', 'Z', '7', 'f'};
    vqtest::PutLE32(b, 4, 14);
    vqtest::PutLE32(b, 8, 32);
    vqtest::PutLE32(b, 12, 1920);
    vqtest::PutLE32(b, 16, 0);
    vqtest::PutLE32(b, 20, 32 + 1920);
    vqtest::PutLE32(b, 24, 3);
    vqtest::PutLE32(b, 28, 0xFFFFFFFF);
    for (uint32_t n = 0; n < 96; ++n) {
        size_t r = 32 + 20 * n;
        vqtest::PutLE32(b, r, 8);
        vqtest::PutFloatLE(b, r + 4, 0.0f);
        vqtest::PutFloatLE(b, r + 8, 0.0f);
        vqtest::PutFloatLE(b, r + 12, 0.5f);
        vqtest::PutFloatLE(b, r + 16, 0.5f);
    }
    std::vector<uint8_t> png = Picture(16, 16, [](int32_t, int32_t) { return kGlyph; });
    b.insert(b.end(), png.begin(), png.end());
    return std::string(b.begin(), b.end());
}

class ThemeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* f :
             {"Assets/Misc", "Assets/Audio", "Assets/Config", "Cardsets", "Cardbacks", "Tables", "User"})
            std::filesystem::create_directories(dir_.Path() + f);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
        WriteAssets();
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            boxes.push_back(r.caption + ": " + r.text);
            return plat::os::BoxAnswer::Ok;
        });
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart("Test");
        ResetManagerRegistry();
        RegisterSettingsManager();
        RegisterLoadersManager();
        RegisterAudioManager();
        RegisterResourcesManager();
        RegisterVideoManager();
        CreateManagers();
        ASSERT_NE(nullptr, Resources);
        ASSERT_NE(nullptr, Video);
    }
    void TearDown() override
    {
        ResetManagerRegistry();
        FrameworkStop();
        plat::os::ResetWindowSystem();
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Automatic);
        plat::os::SetMessageBoxHandler(nullptr);
        std::filesystem::current_path(old_);
    }

    // One frame on the back buffer, cleared to opaque black first.
    void Frame(const std::function<void()>& draw)
    {
        TQZVideo* video = GetVideo();
        ASSERT_EQ(QZRES_OK, video->BeginFrame());
        video->Clear(0xFF000000);
        draw();
        (void)video->EndFrame();  // the pixels read after show whether the frame was drawn
    }
    static uint32_t Pixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
    static int32_t Channel(uint32_t argb, int shift) { return int32_t((argb >> shift) & 0xFF); }

    std::vector<std::string> boxes;

private:
    void Write(const std::string& name, const std::string& bytes) { vqtest::WriteFile(dir_.Path() + name, bytes); }
    void WriteAssets()
    {
        TQZIceData root;
        for (uint32_t id = 1; id <= 31; ++id) {
            std::vector<uint8_t> png = TextureOf(int32_t(id));
            root.AddChildBuffer(id, png.data(), int32_t(png.size()));
        }
        ASSERT_TRUE(root.SaveToFile(dir_.Path() + "Assets/Misc/Textures.ice"));
        for (const char* s : {"Firework.wav", "Cardplay.wav", "Trick.wav", "Dealing.mp3", "Button.wav", "Achieve.wav",
                              "Alert.mp3", "Thump.wav"})
            Write(std::string("Assets/Audio/") + s, vqtest::MakeWav(0.1));
        for (const char* f : {"alien17.qz7", "alien20.qz7", "alien36.qz7", "narrow20.qz7", "monospace20.qz7"})
            Write(std::string("Assets/Misc/") + f, Qz7Font());
        Write("Assets/Config/Opponents.txt", "Ann,Bo\r\n");
        Write("Assets/Config/Lobbies.txt", "One\r\n");
        std::vector<uint8_t> back = Picture(8, 8, [](int32_t, int32_t) { return 0xFF0000C0u; });
        Write("Cardbacks/Blue.png", std::string(back.begin(), back.end()));
        std::vector<uint8_t> table = Picture(64, 32, [](int32_t, int32_t) { return 0xFF00A000u; });
        Write("Tables/Green.jpg", std::string(table.begin(), table.end()));
        Write("Assets/Misc/Default.cfg",
              "Audio.Enabled=\"false\"\r\nAudio.Volume=\"60\"\r\nCards.ForceSize=\"false\"\r\n"
              "Debug.AutoPlay=\"false\"\r\nVideo.DisplayMode=\"Windowed\"\r\nVideo.Table.TileBelowSize=\"0\"\r\n"
              "Video.Cardface=\"Basic.cards\"\r\nVideo.Cardback=\"Blue.png\"\r\nVideo.Table=\"Green.jpg\"\r\n");
    }

    vqtest::TempDir dir_;
    std::filesystem::path old_;
    vqtest::ScopedEnv home_{"VANTOREL_DATA_HOME", dir_.Path() + "User/"};
    vqtest::ScopedEnv audioDriver_{"SDL_AUDIODRIVER", "dummy"};
};

}  // namespace themetest

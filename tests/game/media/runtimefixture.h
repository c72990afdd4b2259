// A scratch runtime folder as the game reads it (packed textures, sounds,
// fonts, cardsets, card backs, tables, default settings) made by the
// framework's own writers, the working folder moved into it, and the media
// managers created through the registry on a headless device.
#pragma once

#include "imImage.h"
#include "ioCardset.h"
#include "mediafixture.h"
#include "mgrAudio.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "osDesktop.h"
#include "osWindow.h"
#include "qz7icedata.h"
#include "qz7kvdata.h"
#include "testutil.h"
#include "wavutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace mediatest {

// The colour texture n of the archive is filled with: tells them apart.
inline uint32_t TextureColour(int32_t id) { return 0xFF000000u | uint32_t(id * 8) << 16 | uint32_t(255 - id); }

inline std::vector<uint8_t> Png(int32_t w, int32_t h, uint32_t argb) { return PngOf(w, h, argb); }

// A `.qz7` font with its image embedded.
inline std::vector<uint8_t> Qz7Font()
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
    std::vector<uint8_t> png = PngOf(16, 16, 0xFFFFFFFF);
    b.insert(b.end(), png.begin(), png.end());
    return b;
}

// A cardset of two cards (the ace of spades and the joker) in one colour.
inline std::vector<uint8_t> TwoCardset(const std::string& title, uint32_t colour, int32_t w = 20, int32_t h = 30)
{
    TCardsFileContent c;
    c.width = w;
    c.height = h;
    c.title = title;
    c.images[12] = PngOf(w, h, colour);
    c.images[52] = PngOf(w, h, colour);
    std::vector<uint8_t> out;
    (void)BuildCardsFile(c, out);  // setup: what the test checks after it shows whether it took
    return out;
}

inline std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

class RuntimeFolder {
public:
    RuntimeFolder() : old_(std::filesystem::current_path())
    {
        for (const char* f : {"Assets/Misc", "Assets/Audio", "Assets/Config", "Cardsets", "Cardbacks", "Tables", "User"})
            std::filesystem::create_directories(dir_.Path() + f);
        std::filesystem::current_path(dir_.Path());
    }
    ~RuntimeFolder() { std::filesystem::current_path(old_); }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    std::string Path() const { return dir_.Path(); }
    void Write(const std::string& name, const std::string& bytes) { vqtest::WriteFile(dir_.Path() + name, bytes); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) { Write(name, Text(bytes)); }
    void Remove(const std::string& name) { std::filesystem::remove(dir_.Path() + name); }

    // Textures 1..31 of the archive, each 4 x 4 of its own colour; the ids
    // given are left out, and bad ones hold bytes that are no image.
    void Textures(std::vector<uint32_t> missing = {}, std::vector<uint32_t> bad = {})
    {
        TQZIceData root;
        for (uint32_t id = 1; id <= 31; ++id) {
            if (std::find(missing.begin(), missing.end(), id) != missing.end()) continue;
            std::vector<uint8_t> png = PngOf(4, 4, TextureColour(int32_t(id)));
            if (std::find(bad.begin(), bad.end(), id) != bad.end()) png = {'b', 'a', 'd'};
            root.AddChildBuffer(id, png.data(), int32_t(png.size()));
        }
        ASSERT_TRUE(root.SaveToFile(dir_.Path() + "Assets/Misc/Textures.ice"));
    }

    void Everything()
    {
        Textures();
        for (const char* s : {"Firework.wav", "Cardplay.wav", "Trick.wav", "Dealing.mp3", "Button.wav", "Achieve.wav",
                              "Alert.mp3", "Thump.wav"})
            Write(std::string("Assets/Audio/") + s, vqtest::MakeWav(0.5));
        for (const char* f : {"alien17.qz7", "alien20.qz7", "alien36.qz7", "narrow20.qz7", "monospace20.qz7"})
            Write(std::string("Assets/Misc/") + f, Qz7Font());
        Write("Assets/Config/Opponents.txt", "Ann,Bo\r\n");
        Write("Assets/Config/Lobbies.txt", "One\r\nTwo\r\nThree\r\n");
        Write("Cardsets/Basic.cards", TwoCardset("Basic", 0xFF204080));
        Write("Cardbacks/Blue.png", PngOf(8, 8, 0xFF0000C0));
        Write("Tables/Green.jpg", PngOf(64, 32, 0xFF00A000));
        Defaults("");
    }

    // Default.cfg with the choices named, then the lines given.
    void Defaults(const std::string& extra)
    {
        Write("Assets/Misc/Default.cfg",
              "Audio.Enabled=\"true\"\r\nAudio.Volume=\"60\"\r\nCards.ForceSize=\"false\"\r\n"
              "Debug.AutoPlay=\"false\"\r\nVideo.DisplayMode=\"Windowed\"\r\nVideo.Table.TileBelowSize=\"0\"\r\n"
              "Video.Cardface=\"Basic.cards\"\r\nVideo.Cardback=\"Blue.png\"\r\nVideo.Table=\"Green.jpg\"\r\n" +
                  extra);
    }

private:
    vqtest::TempDir dir_;
    std::filesystem::path old_;
};

// Every message box shown, by text.
struct Boxes {
    std::vector<std::string> texts;
    Boxes()
    {
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            texts.push_back(r.caption + ": " + r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    ~Boxes() { plat::os::SetMessageBoxHandler(nullptr); }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;
};

// The media managers of the game over a runtime folder.
class MediaFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart("Test");
    }
    void TearDown() override
    {
        ResetManagerRegistry();
        FrameworkStop();
        plat::os::ResetWindowSystem();
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Automatic);
    }
    // Registers the game's media managers and creates them.
    void Start()
    {
        ResetManagerRegistry();
        RegisterSettingsManager();
        RegisterLoadersManager();
        RegisterAudioManager();
        RegisterResourcesManager();
        RegisterVideoManager();
        CreateManagers();
    }
    // The box texts shown since the last call.
    std::vector<std::string> TakeBoxes()
    {
        std::vector<std::string> out;
        out.swap(boxes.texts);
        return out;
    }

    RuntimeFolder runtime;
    vqtest::ScopedEnv home_{"VANTOREL_DATA_HOME", runtime.Path() + "User/"};
    vqtest::ScopedEnv audioDriver_{"SDL_AUDIODRIVER", "dummy"};
    Boxes boxes;
};

}  // namespace mediatest

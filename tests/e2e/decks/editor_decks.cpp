// Helper of the editor's end-to-end test.
//   editor_decks make <folder>: writes a small deck of each foreign format the
//     editor opens (deck.reko, deck.rkp, deck.wiz, deck.png) and the picture
//     the test drops onto a card (drop.png).
//   editor_decks check <file.cards> <width> <height> <slot> <title> <author>
//     <comments>: checks the saved cardset byte by byte (header, directory,
//     texts) and reads it back with the game's cardset readers.
//   editor_decks fresh <file.cards> <width> <height> <title> <author>
//     <comments>: a cardset of fresh white cards: header and texts as above,
//     53 pictures, and no pixel of the overlay's key hue in any card.
//   editor_decks frames <frame folder> <output folder>: keeps, under names of
//     their own, the last captured frame of the main screen before the first
//     dialog, of each dialog, of the card view at each zoom and of a view of
//     empty slots; fails when one of them never showed.
#include "foreigndecks.h"

#include "clCardGraphics.h"
#include "imImage.h"
#include "mgrLoaders.h"
#include "qz7core.h"
#include "qz7video.h"
#include "qz7videochoice.h"
#include "qz7videowindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using vqdecks::Bytes;
namespace im = plat::imaging;

// A picture that cannot be made ends the program: every deck needs it.
void MustEncode(bool ok, int32_t w, int32_t h)
{
    if (ok) return;
    std::fprintf(stderr, "cannot make a %dx%d PNG picture\n", int(w), int(h));
    std::exit(1);
}

Bytes Png(int32_t w, int32_t h, uint32_t argb, uint32_t mark)
{
    im::Image img;
    MustEncode(img.Allocate(w, h, argb), w, h);
    for (int32_t i = 0; i < w && i < h; ++i) img.SetPixel(i, i, mark);
    Bytes out;
    MustEncode(im::EncodeImage(img, im::EncodeFormat::Png, out), w, h);
    return out;
}

uint32_t Hue(int position) { return 0xFF000000u | (uint32_t(position * 37 % 256) << 16) | (uint32_t(position * 91 % 256) << 8) | 0x60u; }

bool Write(const std::string& name, const Bytes& b)
{
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return bool(out);
}

int Make(const std::string& dir)
{
    vqdecks::RekoPC pc;
    pc.pixel = [](int position, int x, int y) { return uint16_t((position * 613 + (x / 11 + y / 13) * 97) & 0x7FFF); };
    vqdecks::RekoRkp rkp;
    rkp.author = "RKP maker";
    rkp.comments = "A generated PC-RKP deck";
    for (int position = 0; position < 54; ++position) rkp.entries.push_back(Png(40, 60, Hue(position), 0xFFFFFFFF));
    std::vector<vqdecks::WizSolEntry> wiz;
    for (int position = 0; position < 53; ++position) wiz.push_back({71, 96, Png(71, 96, Hue(position + 7), 0xFF000000)});
    im::Image sheet;
    MustEncode(sheet.Allocate(13 * 40, 5 * 60, 0xFF204080), 13 * 40, 5 * 60);
    for (int32_t y = 0; y < 5 * 60; ++y)
        for (int32_t x = 0; x < 13 * 40; ++x)
            if ((x / 40 + y / 60) % 2) sheet.SetPixel(x, y, 0xFFE0C040);
    Bytes sheetPng;
    MustEncode(im::EncodeImage(sheet, im::EncodeFormat::Png, sheetPng), 13 * 40, 5 * 60);
    const bool ok = Write(dir + "/deck.reko", vqdecks::Build(pc)) && Write(dir + "/deck.rkp", vqdecks::Build(rkp)) &&
                    Write(dir + "/deck.wiz", vqdecks::BuildWizSol(wiz)) && Write(dir + "/deck.png", sheetPng) &&
                    Write(dir + "/drop.png", Png(80, 120, 0xFFFF00FF, 0xFFFFFFFF));
    return ok ? 0 : 1;
}

int failures = 0;
void Expect(bool ok, const std::string& what)
{
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what.c_str());
        ++failures;
    }
}

uint32_t U32(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

Bytes ReadAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Header, texts and directory as the writer lays them out; the number of
// pictures stored. false when the file is shorter than a header.
bool CheckLayout(const std::string& file, const Bytes& b, int32_t width, int32_t height, const std::string texts[3],
                 int& present)
{
    if (b.size() < 457) {
        std::fprintf(stderr, "FAIL: %s has %zu bytes, less than a header\n", file.c_str(), b.size());
        return false;
    }
    // Header: magic, a 0 byte, flags, text offset, size, version.
    Expect(std::memcmp(b.data(), "Vantorel-Qar", 12) == 0, "magic");
    Expect(b[12] == 0, "byte 12 is 0");
    const uint32_t flags = U32(b, 13);
    Expect((flags & 0x10000) != 0, "format marker flag");
    Expect((flags & ~0x10003u) == 0, "no flags but the marker, 2 and 1 (4 never written)");
    Expect(U32(b, 17) == 457, "text offset 457");
    Expect(U32(b, 21) == uint32_t(width), "card width " + std::to_string(U32(b, 21)));
    Expect(U32(b, 25) == uint32_t(height), "card height " + std::to_string(U32(b, 25)));
    Expect(U32(b, 29) == 3, "version 3");
    // Texts: three length-prefixed strings from 457.
    size_t p = 457;
    for (int i = 0; i < 3; ++i) {
        const uint32_t n = U32(b, p);
        Expect(p + 4 + n <= b.size() && std::string(b.begin() + long(p + 4), b.begin() + long(p + 4 + n)) == texts[i],
               "text " + std::to_string(i) + " is \"" + texts[i] + "\"");
        p += 4 + n;
    }
    // Directory: pictures back to back in slot order right after the texts,
    // an absent one at the current end with size 0; the file ends with them.
    present = 0;
    for (int s = 0; s < 53; ++s) {
        const uint32_t offset = U32(b, 33 + 8 * size_t(s)), size = U32(b, 37 + 8 * size_t(s));
        Expect(offset == p, "slot " + std::to_string(s) + " at the end of the one before");
        if (size) {
            ++present;
            Expect(offset + size <= b.size() && std::memcmp(b.data() + offset, "\x89PNG", 4) == 0,
                   "slot " + std::to_string(s) + " holds a PNG file");
        }
        p = offset + size;
    }
    Expect(p == b.size(), "the file ends with the last picture");
    return true;
}

int Check(const std::string& file, int32_t width, int32_t height, int32_t slot, const std::string texts[3])
{
    const Bytes b = ReadAll(file);
    int present = 0;
    if (!CheckLayout(file, b, width, height, texts, present)) return 1;
    Expect(U32(b, 37 + 8 * size_t(slot)) > 0, "the dropped slot has a picture");
    Expect(present == 53, std::to_string(present) + " pictures stored of 53");
    im::Image dropped;
    const uint32_t dropAt = U32(b, 33 + 8 * size_t(slot)), dropSize = U32(b, 37 + 8 * size_t(slot));
    Expect(dropAt + dropSize <= b.size() && im::DecodeImage(b.data() + dropAt, dropSize, dropped),
           "the dropped slot's picture decodes");
    // The dropped picture is magenta with a white diagonal; the decks' cards
    // never are.
    Expect(dropped.width >= width && dropped.height >= height,
           "the dropped slot's picture covers the card: " + std::to_string(dropped.width) + "x" +
               std::to_string(dropped.height));
    if (!dropped.Empty())
        Expect(dropped.Pixel(width * 3 / 4, height / 4) == 0xFFFF00FF,
               "the dropped slot holds the dropped picture");

    // The game's readers take it back with the texts and the slot.
    FrameworkStart("editor_decks");
    Expect(GetVideo()->SetMode(128, 96, std::make_unique<TQZHeadlessVideoWindow>(0, 0), QZWINDOW_WINDOWED, 0) ==
               QZRES_OK,
           "a headless video for the game's readers");
    {
        TLoaders loaders;
        loaders.Initialize();
        std::unique_ptr<TCardGraphics> cards = loaders.LoadCardset(file);
        Expect(cards != nullptr, "the game's readers load the saved file");
        if (cards) {
            Expect(cards->Title == texts[0] && cards->Author == texts[1] && cards->Comments == texts[2],
                   "texts kept on reading back");
            Expect(cards->HasImage(slot), "the dropped slot kept on reading back");
        }
    }
    FrameworkStop();
    return failures ? 1 : 0;
}

// A card made white with its index holds white, ink, the grey edge and
// transparent corners: a pixel whose red and blue both stand well above its
// green is the key colour (or ink mixed with it) that leaked into the card.
bool KeyHue(uint32_t argb)
{
    const int32_t r = int32_t(argb >> 16 & 0xFF), g = int32_t(argb >> 8 & 0xFF), b = int32_t(argb & 0xFF);
    return (argb >> 24) != 0 && std::min(r, b) - g > 0x30;
}

int Fresh(const std::string& file, int32_t width, int32_t height, const std::string texts[3])
{
    const Bytes b = ReadAll(file);
    int present = 0;
    if (!CheckLayout(file, b, width, height, texts, present)) return 1;
    Expect(present == 53, std::to_string(present) + " pictures stored of 53");
    for (int s = 0; s < 53; ++s) {
        const uint32_t at = U32(b, 33 + 8 * size_t(s)), size = U32(b, 37 + 8 * size_t(s));
        im::Image card;
        if (!size || at + size > b.size() || !im::DecodeImage(b.data() + at, size, card)) {
            Expect(false, "card " + std::to_string(s) + " decodes");
            continue;
        }
        int keyed = 0, white = 0;
        for (int32_t y = 0; y < height && y < card.height; ++y)
            for (int32_t x = 0; x < width && x < card.width; ++x) {
                keyed += KeyHue(card.Pixel(x, y));
                white += card.Pixel(x, y) == 0xFFFFFFFF;
            }
        Expect(keyed == 0, "card " + std::to_string(s) + " has " + std::to_string(keyed) + " pixels of the key's hue");
        Expect(white > width * height / 2, "card " + std::to_string(s) + " is white");
    }
    return failures ? 1 : 0;
}

// What one captured frame of the editor (its 1024 x 768 window) shows, told
// by pixels of its scene: the dialogs' title bars, the check box only the
// new-cardset dialog has, the zoom bar's thumb, an empty first slot.
std::string FrameKind(const im::Image& f)
{
    constexpr uint32_t kWhite = 0xFFFFFFFF;
    if (f.width != 1024 || f.height != 768) return "";
    // The theme's blue: title bars and the zoom bar's thumb (not greyed).
    auto blue = [&](int32_t x, int32_t y) {
        const uint32_t p = f.Pixel(x, y);
        return int32_t(p & 0xFF) > int32_t(p >> 16 & 0xFF) + 0x40;
    };
    if (blue(600, 262) && f.Pixel(320, 300) == kWhite)
        return f.Pixel(332, 410) == 0xFF000000 ? "new-dialog" : "resize-dialog";
    if (blue(700, 162) && f.Pixel(270, 560) == kWhite) return "cameo-dialog";
    // The thumb sits at 71, 142 or 213 on the bar from 24 to 420.
    auto thumb = [&](int32_t x) { return blue(x, 420); };
    const int zoom = thumb(45) ? 1 : thumb(83) ? 2 : thumb(120) ? 3 : 0;
    if (!zoom) return "";
    if (zoom == 1 && f.Pixel(270, 100) == 0xFF000000 && f.Pixel(325, 100) == 0xFF000000) return "empty-slots";
    return "zoom" + std::to_string(zoom);
}

int Frames(const std::string& folder, const std::string& out)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".png") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    std::map<std::string, std::string> last;
    std::string previous;
    for (const std::string& file : files) {
        im::Image frame;
        if (!im::DecodeImageFile(file, frame)) continue;  // the last may be cut short
        const std::string kind = FrameKind(frame);
        if (kind.find("dialog") != std::string::npos && !last.count("main") && !previous.empty())
            last["main"] = previous;
        if (!kind.empty()) last[kind] = file;
        if (kind.find("dialog") == std::string::npos) previous = file;
    }
    for (const char* kind : {"main", "new-dialog", "resize-dialog", "cameo-dialog", "empty-slots", "zoom1", "zoom2",
                             "zoom3"}) {
        if (!last.count(kind)) {
            Expect(false, std::string("no frame of ") + kind);
            continue;
        }
        std::error_code ec;
        fs::copy_file(last[kind], out + "/editor-" + kind + ".png", fs::copy_options::overwrite_existing, ec);
        Expect(!ec, std::string("kept the frame of ") + kind);
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 3) return Make(argv[2]);
    if (mode == "check" && argc == 9) {
        const std::string texts[3] = {argv[6], argv[7], argv[8]};
        const int rc = Check(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), texts);
        if (rc == 0) std::puts("saved cardset checked");
        return rc;
    }
    if (mode == "fresh" && argc == 8) {
        const std::string texts[3] = {argv[5], argv[6], argv[7]};
        const int rc = Fresh(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), texts);
        if (rc == 0) std::puts("fresh cardset checked");
        return rc;
    }
    if (mode == "frames" && argc == 4) return Frames(argv[2], argv[3]);
    std::fprintf(stderr, "usage: editor_decks make <folder> | check <file> <w> <h> <slot> <title> <author> <comments>"
                         " | fresh <file> <w> <h> <title> <author> <comments> | frames <folder> <out>\n");
    return 2;
}

// Checks a captured frame of the main menu: the nine button faces stand out
// from the table where the menu places them, the title picture (gold
// lettering) sits where a screen title goes, and the top bar is there.
// menu_frame_check <frame.png>; exit 0 when every check holds.
#include "imImage.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TMean {
    double r = 0, g = 0, b = 0;
};

TMean MeanOf(const plat::imaging::Image& image, int x0, int y0, int x1, int y1)
{
    TMean m;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = image.Pixel(x, y);
            m.r += (p >> 16) & 0xFF;
            m.g += (p >> 8) & 0xFF;
            m.b += p & 0xFF;
            ++n;
        }
    if (n > 0) m.r /= n, m.g /= n, m.b /= n;
    return m;
}

bool Greenish(const TMean& m) { return m.g > m.r + 15 && m.g > m.b; }



int failures = 0;
void Check(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: menu_frame_check <frame.png>\n");
        return 2;
    }
    plat::imaging::Image image;
    std::string error;
    if (!plat::imaging::DecodeImageFile(argv[1], image, &error)) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const int W = image.width, H = image.height;
    // The table cloth shows at the left edge above the card wave, which lies
    // below the title.
    const TMean cloth = MeanOf(image, 5, 40, 30, 80);
    Check(Greenish(cloth), "table cloth at the left edge");
    // Nine cells of 210 x 55 centred on (W/2 + c*220 - 110, H - 240 + r*65).
    const int cells[9][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}};
    int rimmed = 0;
    for (const auto& c : cells) {
        const int cx = W / 2 + c[0] * 220 - 110, cy = H - 240 + c[1] * 65;
        // A face has its caption (light text, white or the focus colour; grey on a disabled button) and,
        // when enabled, the gold rim; the cloth has neither light or grey pixels nor red reaching green.
        int rim = 0, text = 0;
        for (int y = cy - 29; y <= cy + 29; ++y)
            for (int x = cx - 100; x <= cx + 100; ++x) {
                const uint32_t p = image.Pixel(x, y);
                const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (y > cy - 24 && y < cy + 24) {
                    const bool grey = r > 110 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
                    if ((g > 180 && b > 180) || grey) ++text;  // white, the focused cyan, or disabled grey
                } else if (r >= g + 10) {
                    ++rim;
                }
            }
        Check(text > 80, "caption on the button at column " + std::to_string(c[0]) + ", row " + std::to_string(c[1]) +
                             " (" + std::to_string(text) + " light pixels)");
        if (rim > 150) ++rimmed;
    }
    // Without a game in progress only "Continue Game" and "Multiplayer Game"
    // are disabled (veiled, no gold rim).
    Check(rimmed >= 7, std::to_string(rimmed) + " enabled button rims");
    // Beside the last row's third column there is no button: the cloth.
    Check(Greenish(MeanOf(image, W / 2 + 2 * 220 - 110 - 80, H - 240 + 3 * 65 - 15, W / 2 + 2 * 220 - 110 + 80,
                          H - 240 + 3 * 65 + 15)) ||
              W / 2 + 2 * 220 - 110 + 105 > W - 260,
          "no button where the grid has none");
    // The title: w = min(W - 150, 1024), x = (W - w) / 2, top 40, height w / 4;
    // its lettering is gold (red above green above blue).
    const int w = W - 150 < 1024 ? W - 150 : 1024, x = (W - w) / 2;
    int gold = 0;
    for (int y = 40; y < 40 + w / 4; y += 2)
        for (int xx = x / 2; xx < W - x / 2; xx += 2) {
            const uint32_t p = image.Pixel(xx, y);
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (r > 170 && g > 110 && b < 110 && r > g && g > b) ++gold;
        }
    Check(gold > 500, "gold title lettering (" + std::to_string(gold) + " samples)");
    // The 22-pixel top bar is light, not the cloth.
    Check(!Greenish(MeanOf(image, 200, 2, W - 10, 20)), "top bar");
    return failures == 0 ? 0 : 1;
}

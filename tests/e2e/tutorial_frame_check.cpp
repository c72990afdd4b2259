// Checks a captured frame for the tutorial window where the game places it
// (800 x 400, centred across, above the menu's buttons): "shown" wants the
// dark panel with its gold title, the gilt picture frame, the page text and
// the buttons, and prints "gotit <x> <y>", the centre of the first button, for
// the script to click. (Gone again is judged by the menu's own check: the
// window would cover the menu's title.)
// tutorial_frame_check <frame.png>; exit 0 when every check holds.
#include "imImage.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace {

int failures = 0;
void Check(bool ok, const std::string& what)
{
    std::fprintf(stderr, "%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

int Count(const plat::imaging::Image& image, int x0, int y0, int x1, int y1,
          const std::function<bool(int, int, int)>& test)
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
            const uint32_t p = image.Pixel(x, y);
            n += test(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)) ? 1 : 0;
        }
    return n;
}

bool Gold(int r, int g, int b) { return r > 170 && g > 110 && b < 120 && r > g && g > b; }
bool Light(int r, int g, int b) { return r > 200 && g > 200 && b > 200; }
// White, or the cyan of a caption under the pointer.
bool Caption(int, int g, int b) { return g > 180 && b > 180; }
bool Dark(int r, int g, int b) { return r < 60 && g < 60 && b < 60; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tutorial_frame_check <frame.png>\n");
        return 2;
    }
    plat::imaging::Image image;
    std::string error;
    if (!plat::imaging::DecodeImageFile(argv[1], image, &error)) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const int W = image.width, H = image.height;
    const int left = (W - 800) / 2, top = std::max(0, std::min((H - 400) / 2, H - 400 - 290));
    const int panel = Count(image, left + 190, top + 60, left + 780, top + 320, Dark);
    const int title = Count(image, left + 24, top + 12, left + 600, top + 46, Gold);
    const int gilt = Count(image, left + 4, top + 50, left + 164, top + 240, Gold);
    const int text = Count(image, left + 180, top + 56, left + 776, top + 330, Light);
    const int gotit = Count(image, left + 600, top + 343, left + 776, top + 381, Caption);
    Check(panel > 40000, "dark panel behind the page (" + std::to_string(panel) + " dark pixels)");
    Check(title > 60, "gold title line (" + std::to_string(title) + ")");
    Check(gilt > 2000, "gilt frame round the page picture (" + std::to_string(gilt) + ")");
    Check(text > 400, "page text (" + std::to_string(text) + " light pixels)");
    Check(gotit > 40, "caption of the first button (" + std::to_string(gotit) + ")");
    std::printf("gotit %d %d\n", left + 688, top + 362);
    return failures == 0 ? 0 : 1;
}

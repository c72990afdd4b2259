#include "qz7guitheme.h"

#include <cmath>

namespace {

uint8_t Channel(TQZColour c, int shift) { return uint8_t((c >> shift) & 0xFF); }

TQZColour MapChannels(TQZColour c, uint8_t (*f)(uint8_t))
{
    return MakeColour(Channel(c, 24), f(Channel(c, 16)), f(Channel(c, 8)), f(Channel(c, 0)));
}

}  // namespace

TQZColour ThemeColour(TQZColour theme, int32_t index)
{
    switch (index) {
    case 0: return 0xFF000000;
    case 1: return MakeColour(255, 64, 64, 64);
    case 2: return MakeColour(255, 160, 160, 160);
    case 3: return MakeColour(255, 208, 208, 208);
    case 4: return 0xFFFFFFFF;
    case 5: return MapChannels(theme, [](uint8_t c) { return uint8_t(std::lround(c * 0.6)); });
    case 6: return theme;
    case 7: return MapChannels(theme, [](uint8_t c) { return uint8_t(255 - std::lround(0.6 * (255 - c))); });
    case 8: return MakeColour(255, 240, 240, 240);
    case 9: return MakeColour(0, 255, 0, 0);
    default: return MakeColour(255, 255, 0, 255);
    }
}

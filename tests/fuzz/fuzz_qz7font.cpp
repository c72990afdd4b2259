// The `.qz7` font reader on arbitrary bytes: refusals are clean, and an
// accepted file's texture reference lies inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "qz7fontfile.h"
#include "imImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQZ7FontFile font;
    if (ParseQZ7Font(data, size, font) != 0) return 0;
    if (font.embedded) {
        if (font.imageOffset < 0 || size_t(font.imageOffset) > size) std::abort();
        plat::imaging::Image img;
        // Setup: what the test checks after it shows whether it took.
        (void)plat::imaging::DecodeImage(data + font.imageOffset, size - size_t(font.imageOffset), img);
    } else if (font.textureName.size() > size) {
        std::abort();
    }
    for (const TQZ7FontGlyph& g : font.glyphs)
        if (!(g.left >= 0 && g.left <= 1 && g.top >= 0 && g.top <= 1 && g.right >= 0 && g.right <= 1 &&
              g.bottom >= 0 && g.bottom <= 1))
            std::abort();
    return 0;
}

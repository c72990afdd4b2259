// The texture fonts (.qz7): glyphs 32..127 rasterised by FreeType from the
// installed faces into one embedded PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

struct FontSpec {
    const char* file;    // in Assets/Misc/
    const char* family;  // asked of fontconfig
    bool bold;
    int32_t lineHeight;  // pixels, also the font's size
    int32_t lineGap;     // extra pixels between wrapped lines
};

const std::vector<FontSpec>& FontSpecs();

// The .qz7 file of one font.
std::vector<uint8_t> RenderFont(const FontSpec& spec);

}  // namespace ag

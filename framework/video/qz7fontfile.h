// The `.qz7` bitmap font file: a 32-byte header, a table of 96 glyph records
// for the character codes 32 to 127, and a texture named or embedded. The
// reader checks every offset and length against the file before using it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t QZ7FONT_HEADER_SIZE = 32;
constexpr int32_t QZ7FONT_GLYPHS = 96;
constexpr int32_t QZ7FONT_GLYPH_SIZE = 20;
constexpr int32_t QZ7FONT_FIRST_CODE = 32;

struct TQZ7FontGlyph {
    int32_t advance = 0;
    // Fractions of the texture's width and height, 0..1.
    float left = 0, top = 0, right = 0, bottom = 0;
};

struct TQZ7FontFile {
    int32_t lineHeight = 0;
    int32_t lineGap = 0;
    bool embedded = false;
    std::string textureName;  // with a named texture
    int32_t imageOffset = 0;  // embedded: the image runs from here to the end
    std::array<TQZ7FontGlyph, QZ7FONT_GLYPHS> glyphs{};
};

// QZRES_OK, or QZRES_FAILED for a short header, a wrong magic, or a glyph
// table, texture name or image offset that does not lie inside the file, or
// a line height, line gap or advance beyond 8192 pixels (a line height below
// 0). The 96 glyph records must lie inside the file, whatever length the
// table declares; texture coordinates that are not finite numbers read as 0
// and the rest are kept within 0..1.
[[nodiscard]] int32_t ParseQZ7Font(const uint8_t* data, size_t size, TQZ7FontFile& out);

// The file form of a font whose texture is the given image file, embedded
// after the glyph table (font.embedded, textureName and imageOffset are not
// read). QZRES_OK, or QZRES_FAILED for measures the reader would refuse or an
// empty image.
[[nodiscard]] int32_t WriteQZ7Font(const TQZ7FontFile& font, const uint8_t* image, size_t imageSize,
                     std::vector<uint8_t>& out);

#include "qz7fontfile.h"

#include <cmath>
#include <cstring>

#include "qz7core.h"

namespace {

int32_t ReadInt(const uint8_t* p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    return int32_t(v);
}

float ReadCoordinate(const uint8_t* p)
{
    uint32_t bits = uint32_t(ReadInt(p));
    float f;
    std::memcpy(&f, &bits, 4);
    if (!std::isfinite(f)) return 0.0f;
    return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
}

// offset and length, both not negative, lying inside size bytes.
bool Inside(int64_t offset, int64_t length, size_t size)
{
    return offset >= 0 && length >= 0 && offset + length <= int64_t(size);
}

// Pixel measures beyond any texture the device makes; they would overflow
// the pen and line arithmetic of drawing.
constexpr int32_t kMeasureLimit = 8192;

bool Measure(int32_t v, int32_t low) { return v >= low && v <= kMeasureLimit; }

void PutInt(std::vector<uint8_t>& out, size_t at, int32_t value)
{
    uint32_t v = uint32_t(value);
    for (size_t i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

void PutCoordinate(std::vector<uint8_t>& out, size_t at, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutInt(out, at, int32_t(bits));
}

}  // namespace

int32_t ParseQZ7Font(const uint8_t* data, size_t size, TQZ7FontFile& out)
{
    out = TQZ7FontFile();
    if (!data || size < size_t(QZ7FONT_HEADER_SIZE)) return ErrorResult(QZRES_FAILED);
    if (std::memcmp(data, "QZ7f", 4) != 0) return ErrorResult(QZRES_FAILED);
    int32_t tableOffset = ReadInt(data + 8);
    int32_t tableLength = ReadInt(data + 12);
    // The format asks only that the declared table lie inside the file; the
    // 96 records read from it must lie inside too, whatever length it declares.
    if (!Inside(tableOffset, tableLength, size) || !Inside(tableOffset, QZ7FONT_GLYPHS * QZ7FONT_GLYPH_SIZE, size))
        return ErrorResult(QZRES_FAILED);
    int32_t nameOffset = ReadInt(data + 16);
    int32_t nameOrImage = ReadInt(data + 20);
    if (nameOffset != 0) {
        if (!Inside(nameOffset, nameOrImage, size)) return ErrorResult(QZRES_FAILED);
        out.textureName.assign(reinterpret_cast<const char*>(data) + nameOffset, size_t(nameOrImage));
    } else {
        if (!Inside(nameOrImage, 0, size)) return ErrorResult(QZRES_FAILED);
        out.embedded = true;
        out.imageOffset = nameOrImage;
    }
    out.lineHeight = ReadInt(data + 4);
    out.lineGap = ReadInt(data + 24);
    if (!Measure(out.lineHeight, 0) || !Measure(out.lineGap, -kMeasureLimit)) {
        out = TQZ7FontFile();
        return ErrorResult(QZRES_FAILED);
    }
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        const uint8_t* r = data + tableOffset + n * QZ7FONT_GLYPH_SIZE;
        TQZ7FontGlyph& g = out.glyphs[size_t(n)];
        g.advance = ReadInt(r);
        if (!Measure(g.advance, -kMeasureLimit)) {
            out = TQZ7FontFile();
            return ErrorResult(QZRES_FAILED);
        }
        g.left = ReadCoordinate(r + 4);
        g.top = ReadCoordinate(r + 8);
        g.right = ReadCoordinate(r + 12);
        g.bottom = ReadCoordinate(r + 16);
    }
    return QZRES_OK;
}

int32_t WriteQZ7Font(const TQZ7FontFile& font, const uint8_t* image, size_t imageSize,
                     std::vector<uint8_t>& out)
{
    out.clear();
    if (!image || imageSize == 0) return ErrorResult(QZRES_FAILED);
    if (!Measure(font.lineHeight, 0) || !Measure(font.lineGap, -kMeasureLimit)) return ErrorResult(QZRES_FAILED);
    for (const TQZ7FontGlyph& g : font.glyphs)
        if (!Measure(g.advance, -kMeasureLimit)) return ErrorResult(QZRES_FAILED);
    const int32_t table = QZ7FONT_HEADER_SIZE;
    const int32_t tableLength = QZ7FONT_GLYPHS * QZ7FONT_GLYPH_SIZE;
    const int32_t imageOffset = table + tableLength;
    out.assign(size_t(imageOffset), 0);
    std::memcpy(out.data(), "QZ7f", 4);
    PutInt(out, 4, font.lineHeight);
    PutInt(out, 8, table);
    PutInt(out, 12, tableLength);
    PutInt(out, 16, 0);  // no name: the image is embedded
    PutInt(out, 20, imageOffset);
    PutInt(out, 24, font.lineGap);
    for (int32_t n = 0; n < QZ7FONT_GLYPHS; ++n) {
        const TQZ7FontGlyph& g = font.glyphs[size_t(n)];
        size_t r = size_t(table + n * QZ7FONT_GLYPH_SIZE);
        PutInt(out, r, g.advance);
        PutCoordinate(out, r + 4, g.left);
        PutCoordinate(out, r + 8, g.top);
        PutCoordinate(out, r + 12, g.right);
        PutCoordinate(out, r + 16, g.bottom);
    }
    out.insert(out.end(), image, image + imageSize);
    return QZRES_OK;
}

#include "qz7imagedecode.h"

#include "imImage.h"

bool DecodeImage(const std::string& fileName, int32_t& width, int32_t& height, std::vector<uint8_t>& pixels)
{
    plat::imaging::Image img;
    std::string why;
    if (!plat::imaging::DecodeImageFile(fileName, img, &why))
        throw EQZImageError("Cannot decode image \"" + fileName + "\": " + why);
    width = img.width;
    height = img.height;
    pixels = std::move(img.pixels);
    return true;
}

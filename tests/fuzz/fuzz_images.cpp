// Image decoders on arbitrary bytes: every outcome is a clean refusal or an
// image whose pixel count matches its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plat::imaging;
    ImageInfo info;
    bool known = ReadImageInfo(data, size, info);
    Image img;
    if (DecodeImage(data, size, img)) {
        if (img.pixels.size() != size_t(img.width) * size_t(img.height) * 4) std::abort();
        if (known && (img.width != info.width || img.height != info.height)) std::abort();
        ApplyColourKey(img, 0xFFFF00FF);
    }
    return 0;
}

// The single-picture reader on arbitrary bytes: it never reads outside the data,
// ends when the data does, and what it gives can be drawn.
#include "deckfuzz.h"
#include "ioImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = deckfuzz::StartDevice("fuzz_image_deck");
    if (!device) return 0;
    deckfuzz::CheckReader<TLoaderImage>(data, size, false);
    return 0;
}

// The REKO Amiga reader on arbitrary bytes (planes, HAM, palettes, card
// counts): it never reads outside the data,
// ends when the data does, and what it gives can be drawn.
#include "deckfuzz.h"
#include "ioRekoAmiga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = deckfuzz::StartDevice("fuzz_reko_amiga");
    if (!device) return 0;
    deckfuzz::CheckReader<TLoaderRekoAmiga>(data, size, true);
    return 0;
}

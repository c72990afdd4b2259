// The REKO PC reader on arbitrary bytes (8- and 16-bit cards, card
// counts): it never reads outside the data,
// ends when the data does, and what it gives can be drawn.
#include "deckfuzz.h"
#include "ioRekoPC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = deckfuzz::StartDevice("fuzz_reko_pc");
    if (!device) return 0;
    deckfuzz::CheckReader<TLoaderRekoPC>(data, size, true);
    return 0;
}

// The REKO PC-RKP reader on arbitrary bytes (texts, entry counts and
// sizes, image entries): it never reads outside the data,
// ends when the data does, and what it gives can be drawn.
#include "deckfuzz.h"
#include "ioRekoPCRKP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = deckfuzz::StartDevice("fuzz_reko_rkp");
    if (!device) return 0;
    deckfuzz::CheckReader<TLoaderRekoPCRKP>(data, size, true);
    return 0;
}

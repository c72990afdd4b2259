// The WizSolitaire reader on arbitrary bytes (entry sizes, image
// entries): it never reads outside the data,
// ends when the data does, and what it gives can be drawn.
#include "deckfuzz.h"
#include "ioWizSolitaire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = deckfuzz::StartDevice("fuzz_wizsol");
    if (!device) return 0;
    deckfuzz::CheckReader<TLoaderWizSol>(data, size, true);
    return 0;
}

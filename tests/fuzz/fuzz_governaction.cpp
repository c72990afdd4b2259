// Game actions from arbitrary bytes: decoding either drops the message or
// gives an action whose bytes decode again to the same bytes.
#include "sessionGovernor.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    std::unique_ptr<TGovernAction> action = TSessionGovernor::DecodeGovernAction(bytes);
    if (!action) return 0;
    std::vector<uint8_t> first = action->SaveTo();
    std::unique_ptr<TGovernAction> again = TSessionGovernor::DecodeGovernAction(first);
    if (!again || again->Type() != action->Type() || again->SaveTo() != first) std::abort();
    return 0;
}

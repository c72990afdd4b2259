// Archive reader on arbitrary bytes: a load either fails cleanly or gives a
// tree that writes back to bytes which load again and write back the same.
#include "qz7icedata.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQZIceData root;
    if (!root.LoadFromBytes(data, static_cast<int64_t>(size))) return 0;

    TQZMemory memory;
    if (memory.AssignBytes(data, static_cast<int32_t>(size)) != QZRES_OK) return 0;
    TQZIceData streamed;
    if (!streamed.ReadNode(*memory.Stream())) std::abort();

    std::vector<uint8_t> first, second, third;
    if (!root.SaveToBytes(first) || !streamed.SaveToBytes(second)) std::abort();
    if (first != second) std::abort();
    TQZIceData again;
    if (!again.LoadFromBytes(first.data(), static_cast<int64_t>(first.size()))) std::abort();
    if (!again.SaveToBytes(third) || third != first) std::abort();
    return 0;
}

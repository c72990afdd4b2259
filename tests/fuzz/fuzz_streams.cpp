// Wire forms read from arbitrary bytes: every read either succeeds or raises
// the read error, and the buffer-backed and byte-vector streams agree.
#include "qz7memory.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Reads fields chosen by the bytes themselves until the stream is used up or
// refuses; the record of what was read is compared between stream kinds.
std::string ReadAll(TQZStream& s)
{
    std::string log;
    try {
        while (!StreamAtEnd(s)) {
            switch (ReadStreamByte(s) % 6) {
            case 0: log += std::to_string(ReadStreamWord(s)); break;
            case 1: log += std::to_string(ReadStreamDWord(s)); break;
            case 2: log += ReadStreamString(s); break;
            case 3: log += ReadStreamLine(s); break;
            case 4: log += std::to_string(ReadStreamQWord(s)); break;
            default: {
                uint8_t buf[7];
                ReadStreamBuffer(s, buf, sizeof buf);
                log.append(reinterpret_cast<const char*>(buf), sizeof buf);
            }
            }
            log += '|';
        }
    } catch (const EQZReadError&) {
        log += "!";
    }
    return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQZBytesStream bytes(data, size);
    TQZMemory memory;
    if (size > 0 && memory.AssignBytes(data, static_cast<int32_t>(size)) != QZRES_OK) return 0;
    if (ReadAll(bytes) != ReadAll(*memory.Stream())) std::abort();
    return 0;
}

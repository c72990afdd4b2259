#include "osRandom.h"

#include "osClock.h"

#include <sys/random.h>

#include <cerrno>

namespace plat::os {

bool SystemRandomBytes(void* out, size_t length)
{
    auto* p = static_cast<uint8_t*>(out);
    while (length > 0) {
        const ssize_t n = ::getrandom(p, length, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        length -= size_t(n);
    }
    return true;
}

uint32_t SystemRandom32()
{
    uint32_t v = 0;
    if (SystemRandomBytes(&v, sizeof(v))) return v;
    uint64_t mix = MonotonicNanoseconds() ^ uint64_t(reinterpret_cast<uintptr_t>(&v));
    mix ^= mix >> 33;
    mix *= 0xff51afd7ed558ccdull;
    mix ^= mix >> 33;
    return uint32_t(mix);
}

}  // namespace plat::os

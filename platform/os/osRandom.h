// The operating system's random source, for what must not be guessed
// (identities, join salts); the game's own seeded generator is elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::os {

// Fills the bytes from the kernel's generator; false when it could not.
[[nodiscard]] bool SystemRandomBytes(void* out, size_t length);
// One 32-bit value from it (from the monotonic clock mixed with the address
// of a stack variable only when the generator fails, which it does not on a
// working system).
uint32_t SystemRandom32();

}  // namespace plat::os

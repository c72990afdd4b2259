// The process's memory as the system sees it.
#pragma once

namespace plat::os {

// Hands the pages the allocator holds free back to the system, after a burst
// of memory has been freed (freed small blocks otherwise stay resident).
void ReturnFreeMemory();

}  // namespace plat::os

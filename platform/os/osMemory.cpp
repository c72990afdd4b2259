#include "osMemory.h"

#include <malloc.h>

namespace plat::os {

void ReturnFreeMemory() { ::malloc_trim(0); }

}  // namespace plat::os

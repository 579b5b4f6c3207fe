#include "platform/runtime/free_memory.h"

#include <malloc.h>

namespace platform {

void ReturnFreeMemory() { _heapmin(); }

}  // namespace platform

#include "platform/runtime/free_memory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void ReturnFreeMemory() {
#ifdef __GLIBC__
  malloc_trim(0);  // every arena, not only the main one
#endif
}

}  // namespace platform

#pragma once

namespace platform {

// Gives the heap's free pages back to the system. The worker calls it before its hourly sleep:
// a cycle's answers and buffers are freed by then, and the allocator would otherwise keep
// their pages for the whole hour.
void ReturnFreeMemory();

}  // namespace platform

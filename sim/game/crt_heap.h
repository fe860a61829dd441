// The module's heap in use on Windows. Sloshmere.asi carries its own C++
// runtime, whose operator new takes its blocks from the C runtime's heap
// (msvcrt.dll's malloc). The simulated game keeps its own allocations off that
// heap: its operator new and delete are replaced (crt_heap_win32.cpp) to use
// a private Win32 heap. So what is in use on the C runtime's heap is the
// module's, plus the C runtime's own few blocks (stream buffers and the like),
// and a leak of the module's cannot hide behind the host's.
#pragma once

#include <cstdint>

namespace sim {

// Bytes in the blocks in use on the C runtime's heap, by walking it; -1 when
// the walk fails.
std::int64_t crtHeapInUse();

} // namespace sim

// Counts the heap use of the module's own code. A binary that links
// module_heap.cpp replaces the global operator new and delete: every block
// allocated while module code runs (inside a ModuleCode scope, but not inside
// one of the host's hook functions) is tagged as the module's, and freeing a
// tagged block takes it off the module's books, whoever frees it.
#pragma once

#include <cstdint>

namespace heap {

struct ModuleHeap {
    // Blocks and bytes the module's code has allocated so far.
    std::uint64_t allocations = 0;
    std::uint64_t bytesAllocated = 0;
    // Of those, the blocks and bytes nobody has freed yet.
    std::int64_t liveBlocks = 0;
    std::int64_t liveBytes = 0;
};

// The module's heap use so far.
ModuleHeap moduleHeap();

// For its life, code on this thread outside the host's hook functions counts
// as the module's. Scopes nest.
class ModuleCode {
public:
    ModuleCode();
    ~ModuleCode();
    ModuleCode(const ModuleCode&) = delete;
    ModuleCode& operator=(const ModuleCode&) = delete;
};

} // namespace heap

#include "module_heap.h"

#include "host.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define SLOSHMERE_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define SLOSHMERE_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define SLOSHMERE_POISON(address, size) static_cast<void>(0)
#define SLOSHMERE_UNPOISON(address, size) static_cast<void>(0)
#endif

namespace heap {

namespace {

// Sits just before every block handed out; poisoned under AddressSanitizer so
// a write before the block is still reported.
struct Tag {
    std::size_t size;
    std::size_t offset; // from the start of the malloc'd area to the block
    bool module;
};
constexpr std::size_t tagRoom = 2 * alignof(std::max_align_t);
static_assert(sizeof(Tag) <= tagRoom);

thread_local int moduleDepth = 0;

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> bytesAllocated{0};
std::atomic<std::int64_t> liveBlocks{0};
std::atomic<std::int64_t> liveBytes{0};

bool moduleRunning() {
    return moduleDepth > 0 && sim::hookCallDepth() == 0;
}

void* allocate(std::size_t size, std::size_t alignment) noexcept {
    const std::size_t offset = alignment > tagRoom ? alignment : tagRoom;
    void* area =
        alignment > alignof(std::max_align_t)
            ? std::aligned_alloc(alignment, (offset + size + alignment - 1) / alignment * alignment)
            : std::malloc(offset + size);
    if (area == nullptr) {
        return nullptr;
    }
    auto* block = static_cast<std::byte*>(area) + offset;
    auto* tag = reinterpret_cast<Tag*>(block - sizeof(Tag));
    tag->size = size;
    tag->offset = offset;
    tag->module = moduleRunning();
    if (tag->module) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        bytesAllocated.fetch_add(size, std::memory_order_relaxed);
        liveBlocks.fetch_add(1, std::memory_order_relaxed);
        liveBytes.fetch_add(static_cast<std::int64_t>(size), std::memory_order_relaxed);
    }
    SLOSHMERE_POISON(area, offset);
    return block;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<std::byte*>(pointer);
    auto* tag = reinterpret_cast<Tag*>(block - sizeof(Tag));
    SLOSHMERE_UNPOISON(tag, sizeof(Tag));
    const std::size_t offset = tag->offset;
    SLOSHMERE_UNPOISON(block - offset, offset);
    if (tag->module) {
        liveBlocks.fetch_sub(1, std::memory_order_relaxed);
        liveBytes.fetch_sub(static_cast<std::int64_t>(tag->size), std::memory_order_relaxed);
    }
    std::free(block - offset);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* block = allocate(size, alignment)) {
        return block;
    }
    throw std::bad_alloc();
}

} // namespace

ModuleHeap moduleHeap() {
    return {allocations.load(), bytesAllocated.load(), liveBlocks.load(), liveBytes.load()};
}

ModuleCode::ModuleCode() {
    ++moduleDepth;
}
ModuleCode::~ModuleCode() {
    --moduleDepth;
}

} // namespace heap

// Every replaceable form, so no block escapes the books and none is freed by
// a function that did not allocate it.
void* operator new(std::size_t size) {
    return heap::allocateOrThrow(size, alignof(std::max_align_t));
}
void* operator new[](std::size_t size) {
    return heap::allocateOrThrow(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return heap::allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return heap::allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return heap::allocate(size, alignof(std::max_align_t));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return heap::allocate(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return heap::allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return heap::allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* pointer) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer) noexcept {
    heap::release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    heap::release(pointer);
}
void operator delete(void* pointer, std::align_val_t) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer, std::align_val_t) noexcept {
    heap::release(pointer);
}
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept {
    heap::release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    heap::release(pointer);
}
void operator delete(void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
    heap::release(pointer);
}
void operator delete[](void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
    heap::release(pointer);
}

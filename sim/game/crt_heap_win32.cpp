#include "crt_heap.h"

#include <windows.h>

#include <malloc.h>

#include <cstddef>
#include <new>

namespace {

// The simulated game's own heap, made on first use (operator new may run
// before any static constructor) and never destroyed: blocks freed during
// the process's exit must still find it.
HANDLE hostHeap() {
    static const HANDLE heap = HeapCreate(0, 0, 0);
    return heap;
}

void* allocate(std::size_t size) {
    void* block = HeapAlloc(hostHeap(), 0, size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        HeapFree(hostHeap(), 0, block);
    }
}

// HeapAlloc's blocks are 16-byte aligned; a larger alignment is met by
// over-allocating and keeping the true start just before the block.
void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    if (align <= MEMORY_ALLOCATION_ALIGNMENT) {
        return allocate(size);
    }
    auto* area = static_cast<std::byte*>(allocate(size + align + sizeof(void*)));
    const auto start = reinterpret_cast<std::uintptr_t>(area + sizeof(void*));
    auto* block = reinterpret_cast<std::byte*>((start + align - 1) / align * align);
    reinterpret_cast<void**>(block)[-1] = area;
    return block;
}

void releaseAligned(void* block, std::align_val_t alignment) noexcept {
    if (block == nullptr) {
        return;
    }
    if (static_cast<std::size_t>(alignment) <= MEMORY_ALLOCATION_ALIGNMENT) {
        release(block);
        return;
    }
    release(static_cast<void**>(block)[-1]);
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(hostHeap(), 0, size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(hostHeap(), 0, size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}
void operator delete(void* block, std::align_val_t alignment) noexcept {
    releaseAligned(block, alignment);
}
void operator delete[](void* block, std::align_val_t alignment) noexcept {
    releaseAligned(block, alignment);
}
void operator delete(void* block, std::size_t, std::align_val_t alignment) noexcept {
    releaseAligned(block, alignment);
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept {
    releaseAligned(block, alignment);
}

namespace sim {

std::int64_t crtHeapInUse() {
    _HEAPINFO info{};
    info._pentry = nullptr;
    std::int64_t total = 0;
    int status = _HEAPOK;
    while ((status = _heapwalk(&info)) == _HEAPOK) {
        if (info._useflag == _USEDENTRY) {
            total += static_cast<std::int64_t>(info._size);
        }
    }
    return status == _HEAPEND ? total : -1;
}

} // namespace sim

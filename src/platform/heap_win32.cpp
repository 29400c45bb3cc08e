#include <windows.h>

#include "platform/native.h"

void* SystemHeapNew(std::size_t bytes) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

// Large pages need a privilege that a desktop user does not hold; a big block comes straight from
// VirtualAlloc inside the heap anyway.
void* SystemHeapBulkNew(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

void* SystemHeapResize(void* block, std::size_t bytes) {
    return HeapReAlloc(GetProcessHeap(), 0, block, bytes);
}

void SystemHeapFree(void* block) { HeapFree(GetProcessHeap(), 0, block); }

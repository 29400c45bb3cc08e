#include <windows.h>

#include "platform/native.h"

void* SystemHeapNew(std::size_t bytes) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void* SystemHeapResize(void* block, std::size_t bytes) {
    return HeapReAlloc(GetProcessHeap(), 0, block, bytes);
}

void SystemHeapFree(void* block) { HeapFree(GetProcessHeap(), 0, block); }

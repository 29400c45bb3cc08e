#include <cstdlib>

#include "platform/native.h"

void* SystemHeapNew(std::size_t bytes) { return std::calloc(bytes == 0 ? 1 : bytes, 1); }

void* SystemHeapResize(void* block, std::size_t bytes) {
    return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void SystemHeapFree(void* block) { std::free(block); }

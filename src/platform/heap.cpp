#include "platform/heap.h"

#include "platform/native.h"

namespace {
std::size_t g_largestBlock = SIZE_MAX;
}

// A zero-filled block of `bytes`, or nullptr when the heap cannot supply it. Callers decide
// whether that is fatal: a text value cannot do without its block, an audio image can be refused.
void* HeapBlockNew(std::size_t bytes) {
    if (bytes > g_largestBlock) return nullptr;
    return SystemHeapNew(bytes);
}

// Grows or shrinks `block` to `bytes`, keeping its contents; nullptr (block untouched) on failure.
void* HeapBlockResize(void* block, std::size_t bytes) {
    if (bytes > g_largestBlock) return nullptr;
    return SystemHeapResize(block, bytes);
}

void HeapBlockFree(void* block) {
    if (block != nullptr) SystemHeapFree(block);
}

void HeapLimitForTest(std::size_t bytes) { g_largestBlock = bytes; }

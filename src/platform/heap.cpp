#include "platform/heap.h"

#include "platform/native.h"

namespace {
long g_allocationsAllowed = -1;

// True when a test has asked for this allocation to fail.
bool HeapFailureInjected() {
    if (g_allocationsAllowed < 0) return false;
    if (g_allocationsAllowed == 0) return true;
    --g_allocationsAllowed;
    return false;
}
}  // namespace

// A zero-filled block of `bytes`, or nullptr when the heap cannot supply it. Callers decide
// whether that is fatal: a text value cannot do without its block, an audio image can be refused.
void* HeapBlockNew(std::size_t bytes) {
    if (HeapFailureInjected()) return nullptr;
    return SystemHeapNew(bytes);
}

// Grows or shrinks `block` to `bytes`, keeping its contents; nullptr (block untouched) on failure.
void* HeapBlockResize(void* block, std::size_t bytes) {
    if (HeapFailureInjected()) return nullptr;
    return SystemHeapResize(block, bytes);
}

void HeapBlockFree(void* block) {
    if (block != nullptr) SystemHeapFree(block);
}

void HeapFailAfterForTest(long allowed) { g_allocationsAllowed = allowed; }

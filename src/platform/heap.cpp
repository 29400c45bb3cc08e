#include "platform/heap.h"

#include <atomic>

#include "platform/fault_injection.h"
#include "platform/native.h"

namespace {
std::size_t g_largestBlock = SIZE_MAX;
// Counted for the tests that prove every block of a run is freed; atomic, since blocks may be
// taken outside the text values' lock.
std::atomic<std::size_t> g_liveBlocks{0};

bool Refused(std::size_t bytes) {
    int ignored = 0;
    return bytes > g_largestBlock || FaultFires(FaultStep::Allocation, ignored);
}
}  // namespace

// A zero-filled block of `bytes`, or nullptr when the heap cannot supply it. Callers decide
// whether that is fatal: a text value cannot do without its block, an audio image can be refused.
void* HeapBlockNew(std::size_t bytes) {
    if (Refused(bytes)) return nullptr;
    void* block = SystemHeapNew(bytes);
    if (block != nullptr) ++g_liveBlocks;
    return block;
}

void* HeapBulkBlockNew(std::size_t bytes) {
    if (Refused(bytes)) return nullptr;
    void* block = SystemHeapBulkNew(bytes);
    if (block != nullptr) ++g_liveBlocks;
    return block;
}

// Grows or shrinks `block` to `bytes`, keeping its contents; nullptr (block untouched) on failure.
void* HeapBlockResize(void* block, std::size_t bytes) {
    if (Refused(bytes)) return nullptr;
    return SystemHeapResize(block, bytes);
}

void HeapBlockFree(void* block) {
    if (block == nullptr) return;
    SystemHeapFree(block);
    --g_liveBlocks;
}

std::size_t HeapLiveBlocks() { return g_liveBlocks.load(); }

void HeapLimitForTest(std::size_t bytes) { g_largestBlock = bytes; }

#include <sys/mman.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/native.h"

#ifdef MADV_POPULATE_WRITE
namespace {
// Smaller blocks mostly come from memory the heap has touched before.
constexpr std::size_t kPopulatedBlock = std::size_t{1} << 20;
}  // namespace
#endif

void* SystemHeapNew(std::size_t bytes) { return std::calloc(bytes == 0 ? 1 : bytes, 1); }

// The pages of a large block are mapped and cleared by the kernel in one call, not one fault per
// page as its first touch would: for an image of 200 MB that is 50,000 faults fewer. Huge pages
// would cut the faults too, but where a virtual machine hands free memory back to its host
// (free page reporting), a huge page is nearly always memory the host must supply anew, and
// touching it costs several times what it saves. A kernel without the call (before Linux 5.14)
// refuses it, and the pages are mapped as they are touched.
void* SystemHeapBulkNew(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
#ifdef MADV_POPULATE_WRITE
    static const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    if (block != nullptr && bytes >= kPopulatedBlock) {
        const uintptr_t first = reinterpret_cast<uintptr_t>(block) & ~(page - 1);
        ::madvise(reinterpret_cast<void*>(first), reinterpret_cast<uintptr_t>(block) + bytes - first,
                  MADV_POPULATE_WRITE);
    }
#endif
    return block;
}

void* SystemHeapResize(void* block, std::size_t bytes) {
    return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void SystemHeapFree(void* block) { std::free(block); }

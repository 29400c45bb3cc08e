#include "runtime/string_registry.h"

#include <cstring>

#include "platform/heap.h"
#include "platform/lock.h"
#include "runtime/fatal.h"

namespace {

Text* g_entries = nullptr;
int32_t g_count = 0;
int32_t g_capacity = 0;
Text g_reserved[kReservedTextCount] = {};

}  // namespace

void RuntimeInit() {
    RegistryLockInit();
    RegistryLockGuard lock;
    if (g_entries == nullptr) {
        g_entries = static_cast<Text*>(HeapBlockNew(1));
        if (g_entries == nullptr) RuntimeOutOfMemory(1);
    }
    g_count = 0;
    g_capacity = 0;
}

void RuntimeReserve() {
    for (Text& value : g_reserved) value = TextNew(0);
}

void RuntimeExit() {
    for (Text& value : g_reserved) {
        TextRelease(value);
        value = nullptr;
    }
}

// The array grows one entry at a time and never shrinks: the registry holds a few dozen values
// at most, since a run releases everything it creates.
bool RegistryAppend(Text value) {
    RegistryLockGuard lock;
    if (g_count == g_capacity) {
        const auto bytes = (static_cast<std::size_t>(g_count) + 1) * sizeof(Text);
        auto* grown = static_cast<Text*>(HeapBlockResize(g_entries, bytes));
        if (grown == nullptr) return false;
        g_entries = grown;
        g_capacity = g_count + 1;
    }
    g_entries[g_count++] = value;
    return true;
}

// Searches from the oldest entry, as values are found in creation order, and closes the gap.
bool RegistryRemove(const char* value) {
    RegistryLockGuard lock;
    for (int32_t i = 0; i < g_count; ++i) {
        if (g_entries[i] != value) continue;
        std::memmove(&g_entries[i], &g_entries[i + 1], static_cast<std::size_t>(g_count - i - 1) * sizeof(Text));
        --g_count;
        return true;
    }
    return false;
}

int32_t RegistryCount() {
    RegistryLockGuard lock;
    return g_count;
}

Text RegistryEntry(int32_t index) {
    RegistryLockGuard lock;
    return index >= 0 && index < g_count ? g_entries[index] : nullptr;
}

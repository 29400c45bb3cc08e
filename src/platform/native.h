// The platform's own calls behind the portable wrappers of this layer (heap.cpp,
// debug_output.cpp), which add the seams that tests use. One implementation per platform.
#pragma once

#include <cstddef>

void* SystemHeapNew(std::size_t bytes);
void* SystemHeapBulkNew(std::size_t bytes);
void* SystemHeapResize(void* block, std::size_t bytes);
void SystemHeapFree(void* block);
void SystemDebugOutput(const char* line);

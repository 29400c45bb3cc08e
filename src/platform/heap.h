// The heap that text values and the audio image live on: the process heap on Windows,
// the C heap elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

void* HeapBlockNew(std::size_t bytes);
// A block for bulk data that its caller writes in full: not zero-filled, and its pages mapped
// in one call where the system offers that. Freed with HeapBlockFree.
void* HeapBulkBlockNew(std::size_t bytes);
void* HeapBlockResize(void* block, std::size_t bytes);
void HeapBlockFree(void* block);

// Blocks given and not yet freed: a run that frees what it takes leaves this as it found it.
std::size_t HeapLiveBlocks();

// Makes every request for more than `bytes` fail, as an exhausted heap would; SIZE_MAX lifts it.
void HeapLimitForTest(std::size_t bytes);

// The heap that text values and the audio image live on: the process heap on Windows,
// the C heap elsewhere.
#pragma once

#include <cstddef>

void* HeapBlockNew(std::size_t bytes);
void* HeapBlockResize(void* block, std::size_t bytes);
void HeapBlockFree(void* block);

// Makes every allocation after the next `allowed` ones fail; a negative count lifts it.
void HeapFailAfterForTest(long allowed);

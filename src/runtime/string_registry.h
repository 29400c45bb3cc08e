// The string registry: every live text value in creation order, behind the registry lock (lock.h).
#pragma once

#include <cstdint>

#include "runtime/text.h"

// Starts the runtime: the lock and an empty registry. Must run before any text value exists.
void RuntimeInit();
// Creates the 32 reserved empty values that start-up keeps for the life of the process.
void RuntimeReserve();
// Releases the reserved values in creation order; the process ends after it.
void RuntimeExit();

inline constexpr int kReservedTextCount = 32;

// Records a new value at the end; false if the registry cannot grow.
bool RegistryAppend(Text value);
// Removes `value` if it is recorded, keeping the others in order; false if it was not recorded.
bool RegistryRemove(const char* value);
int32_t RegistryCount();
// The entry at `index` in creation order (for tests and diagnostics).
Text RegistryEntry(int32_t index);

// Writing a whole file in one piece, so that a failure never leaves a half-written file
// where a good one stood.
#pragma once

#include <cstdint>
#include <span>

enum class FileOutcome {
    Written,      // every byte is on disk under the name
    OpenFailed,   // the target cannot be created or replaced; it is unchanged
    WriteFailed,  // writing failed part-way; a regular target is unchanged
};

// `path` is in the platform's code page (932 for the program).
FileOutcome FileWriteWhole(const char* path, std::span<const uint8_t> bytes);
FileOutcome StandardOutputWriteWhole(std::span<const uint8_t> bytes);

// What the fuzz targets share: the text runtime started once, an input cut into parts at zero
// bytes, and checks that stop the run so that libFuzzer keeps the input that broke them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "runtime/string_registry.h"

// A failed check aborts: libFuzzer reports it as a crash and writes the input to a file.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) FuzzCheckFailed(#condition, __FILE__, __LINE__);                      \
    } while (false)

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// The runtime as the programs start it, once per process; returns the registry's size then,
// which every run must leave it at. The registry is grown once beyond what a run needs, since
// it never shrinks: otherwise whether a run's values fit the limited heap would depend on the
// runs before it, and a finding would not reproduce on its own.
inline int32_t FuzzRuntimeStarted() {
    static const int32_t startUpCount = [] {
        RuntimeInit();
        RuntimeReserve();
        std::vector<Text> room(64);
        for (Text& value : room) value = TextNew(0);
        for (Text value : room) TextRelease(value);
        return RegistryCount();
    }();
    return startUpCount;
}

inline std::string_view FuzzBytes(const uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// `input` cut at its zero bytes into at most `most` parts: the last part keeps whatever follows,
// zeros included. A missing part is simply not there, so that a short input keeps the defaults
// of everything after it, and a target that learns a new part still reads its old corpus.
inline std::vector<std::string_view> FuzzParts(std::string_view input, std::size_t most) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < most) {
        const std::size_t zero = input.find('\0');
        if (zero == std::string_view::npos) break;
        parts.push_back(input.substr(0, zero));
        input.remove_prefix(zero + 1);
    }
    parts.push_back(input);
    return parts;
}

// Every zero byte ends a part; the options target makes its arguments this way.
inline std::vector<std::string_view> FuzzPartsAll(std::string_view input) {
    return FuzzParts(input, SIZE_MAX);
}

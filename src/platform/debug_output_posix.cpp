#include <cstdio>

#include "platform/native.h"

void SystemDebugOutput(const char* line) {
    std::fputs(line, stderr);
    std::fflush(stderr);
}

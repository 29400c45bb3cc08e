#include <cstdio>

#include "platform/native.h"

// A diagnostic that standard error cannot take is lost: there is nowhere else to tell.
void SystemDebugOutput(const char* line) {
    (void)std::fputs(line, stderr);
    (void)std::fflush(stderr);
}

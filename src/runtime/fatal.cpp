#include "runtime/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void ReportToStandardError(const char* message) {
    std::fputs(message, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

FatalReporter g_reporter = ReportToStandardError;

}  // namespace

void RuntimeSetFatalReporter(FatalReporter reporter) {
    g_reporter = reporter != nullptr ? reporter : ReportToStandardError;
}

// Writing through a block the heap did not give would corrupt memory silently; stopping with a
// message is the honest way out.
void RuntimeFatal(const char* message) {
    g_reporter(message);
    std::abort();
}

void RuntimeOutOfMemory(std::size_t bytes) {
    const std::string line = std::string(kOutOfMemoryText) + " (" + std::to_string(bytes) + " bytes)";
    RuntimeFatal(line.c_str());
}

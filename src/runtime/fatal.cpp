#include "runtime/fatal.h"
#include "runtime/program_texts.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The process ends after this whether or not standard error takes the message.
void ReportToStandardError(const char* message) {
    (void)std::fputs(message, stderr);
    (void)std::fputs("\n", stderr);
    (void)std::fflush(stderr);
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

// Formatted on the stack: the heap has just refused a block.
void RuntimeOutOfMemory(std::size_t bytes) {
    char line[96];
    (void)std::snprintf(line, sizeof line, "%s (%zu bytes)", kOutOfMemoryText.cp932, bytes);  // 49 bytes at most
    RuntimeFatal(line);
}

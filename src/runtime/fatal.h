// The one failure the runtime cannot go on from: the heap refusing a text value its block.
#pragma once

#include <cstddef>

// Shows `message` (code page 932) and ends the process abnormally.
[[noreturn]] void RuntimeFatal(const char* message);
[[noreturn]] void RuntimeOutOfMemory(std::size_t bytes);

// Where RuntimeFatal shows its message; the default writes it to standard error. A reporter
// may also end the run its own way (the command-line program throws, and turns that into an
// exit status); if it returns, the process aborts.
using FatalReporter = void (*)(const char* message);
void RuntimeSetFatalReporter(FatalReporter reporter);

#include "platform/debug_output.h"

#include "platform/native.h"

namespace {
DebugSink g_sink = nullptr;
}

void DebugOutput(const char* line) {
    if (g_sink != nullptr) {
        g_sink(line);
    } else {
        SystemDebugOutput(line);
    }
}

DebugSink DebugOutputRedirect(DebugSink sink) {
    DebugSink old = g_sink;
    g_sink = sink;
    return old;
}

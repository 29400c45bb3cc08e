// Diagnostics for a developer, never for the user: the debugger's output on Windows,
// standard error elsewhere.
#pragma once

void DebugOutput(const char* line);

// Sends the lines to `sink` instead (nullptr restores the platform's output); returns the old sink.
using DebugSink = void (*)(const char* line);
DebugSink DebugOutputRedirect(DebugSink sink);

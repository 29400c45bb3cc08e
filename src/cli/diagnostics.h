// What velmora-cli says on standard error, and its reports on standard output.
#pragma once

#include <string>

// The exit statuses; README and --help say what each leaves on disk.
enum CliExit {
    kExitWritten = 0,
    kExitFileFailed = 1,  // a file could not be created or written, or a report not shown
    kExitUsage = 2,       // the command line cannot be used, or the message cannot be read
    kExitRefused = 3,     // nothing to sound, or the audio would be too long
    kExitOutOfMemory = 4,
};

// One or more whole lines on standard error.
void Say(const std::string& lines);
// A usage problem and the hint to --help; the problem may quote what the user typed, which is
// echoed safely. Returns kExitUsage.
int UsageError(const std::string& problem);
// A report on standard output; one that cannot be written is a failure, not a success without
// output. Returns `exitCode`, or kExitFileFailed.
int Report(const std::string& text, int exitCode);

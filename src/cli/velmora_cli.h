// velmora-cli: the Create command run from a command line, with the window's field texts given
// as options and a stand-in for its save dialog and message boxes.
#pragma once

#include <string>
#include <vector>

enum CliExit {
    kExitWritten = 0,
    kExitFileFailed = 1,  // the file could not be created or written, or a report not shown
    kExitUsage = 2,       // the command line cannot be used, or the message cannot be read
    kExitRefused = 3,     // nothing to sound, or the audio would be too long
    kExitOutOfMemory = 4,
};

int CliMain(const std::vector<std::string>& arguments);

// velmora-cli: the Create command run from a command line, with the window's field texts given
// as options and a stand-in for its save dialog and message boxes.
#pragma once

#include <string>
#include <vector>

enum CliExit { kExitWritten = 0, kExitFileFailed = 1, kExitUsage = 2, kExitRefused = 3 };

int CliMain(const std::vector<std::string>& arguments);

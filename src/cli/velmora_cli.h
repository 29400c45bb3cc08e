// velmora-cli: the message given on the command line (or read from a file), made into audio by
// the value API and written where the options say, with the window's field texts as options.
#pragma once

#include <string>
#include <vector>

#include "cli/diagnostics.h"

int CliMain(const std::vector<std::string>& arguments);

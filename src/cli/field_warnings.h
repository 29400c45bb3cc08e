// Field texts that will not sound as the user most likely meant: read as something else, or
// making no tone or a different one. The window takes them silently; the command line says so.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

// At most one line per field, and one for a speed that --wpm cannot give exactly, each ending in
// a line break. `dotText` is the dot length's field text, which --wpm gives when it is used.
std::vector<std::string> FieldWarnings(const CliOptions& options, const std::string& dotText);

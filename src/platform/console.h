// What the command-line program needs of its console: its arguments as UTF-8, text output,
// and its standard input and output as byte streams.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The arguments after the program's name, in UTF-8. On Windows they are read from the wide
// command line, whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
// Writes UTF-8 text to standard output or standard error.
void ConsoleWrite(bool toStandardError, std::string_view utf8);
bool StandardOutputIsTerminal();
// All of standard input as bytes; none if it cannot be read.
std::optional<std::string> ReadStandardInput();

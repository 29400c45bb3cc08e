// What the command-line program needs of its console: its arguments as UTF-8, text output and
// its input as bytes. How it ends when interrupted is in interrupts.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_output.h"

// The arguments after the program's name, in UTF-8. On Windows they are read from the wide
// command line, whatever the console's code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error. False when not all of it could be
// written, with the system's error code in `systemError`.
bool ConsoleWrite(bool toStandardError, std::string_view utf8, int* systemError = nullptr);
bool StandardOutputIsTerminal();
bool StandardInputIsTerminal();
// Whether a path (UTF-8) leads to a terminal: on POSIX systems a terminal device (/dev/tty,
// /dev/stdout on a terminal, a link to either), on Windows the console (CON, CONOUT$, and where
// the system reserves it, a name such as con.wav).
bool PathIsTerminal(const std::string& utf8Path);

// The whole of a message source as bytes, or why it could not be read.
struct InputRead {
    std::optional<std::string> bytes;
    int systemError = 0;    // the system's error code when there are no bytes
    bool isFolder = false;  // the name is a folder, which a system may report as something else
    std::optional<OpenedFile> opened;  // the file read from (ReadInputFile), to tell it from the outputs
};
// How many bytes one read of a message source asks for.
constexpr std::size_t kReadBlock = std::size_t{64} * 1024;
InputRead ReadStandardInput();
InputRead ReadInputFile(const std::string& utf8Path);

// What the command-line program needs of its console: its arguments as UTF-8, text output,
// its input as bytes, and a clean end when it is interrupted.
#pragma once

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
InputRead ReadStandardInput();
InputRead ReadInputFile(const std::string& utf8Path);

// From here on, an interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT or SIGXCPU; on Windows Ctrl+C,
// Ctrl+Break or closing the console) removes the temporary files of a save in progress, writes the
// notice below to standard error and ends the process with 128 + the signal's number. An interrupt
// that comes while a file is committed waits until it is (interrupt_hold.h). A signal the program
// was started with ignored stays ignored. On POSIX systems a write past the limit on a file's size
// fails (EFBIG) instead of ending the program by SIGXFSZ, and SIGPIPE removes the temporary files
// of a save in progress before it ends the program.
void ConsoleEndOnInterrupt();

// What an interrupt says before the program ends (UTF-8, a whole line; empty for nothing): which
// files of the save in progress are new and which are as they were. Changed while interrupts are
// held, so that it always matches the files.
void ConsoleSetInterruptNotice(std::string_view notice);

// How velmora-cli ends when it is interrupted: the temporary files of a save in progress go, a
// notice says which files are new and which are as they were, and the exit status is 128 + the
// signal's number.
#pragma once

#include <string_view>

// From here on, an interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU, SIGALRM, SIGUSR1 or
// SIGUSR2; on Windows Ctrl+C, Ctrl+Break or closing the console) removes the temporary files of a
// save in progress, writes the notice below to standard error and ends the process with 128 + the
// signal's number. An interrupt that comes while a file is committed waits until it is
// (interrupt_hold.h). A signal the program was started with ignored stays ignored. On POSIX
// systems a write past the limit on a file's size fails (EFBIG) instead of ending the program by
// SIGXFSZ, and SIGPIPE removes the temporary files of a save in progress before it ends the
// program.
void EndOnInterrupts();

// What an interrupt says before the program ends (UTF-8, a whole line; empty for nothing): which
// files of the save in progress are new and which are as they were. Changed while interrupts are
// held, so that it always matches the files. A notice longer than the handler's buffer (8 KB) is
// cut, and still ends its line.
void InterruptNoticeSet(std::string_view notice);

// For the handlers: the notice as it stands, read without a call that a handler may not make.
std::string_view InterruptNotice();

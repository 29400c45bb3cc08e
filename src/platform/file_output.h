// Writing a whole file in one piece, so that a failure never leaves a half-written file
// where a good one stood, nor a temporary file beside it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

enum class FileOutcome {
    Written,      // every byte is on disk under the name
    OpenFailed,   // the target cannot be created or replaced; it is unchanged
    WriteFailed,  // writing failed part-way; a target that is replaced whole is unchanged
};

// How a write ended, with the system's own error code for the step that failed (errno on
// POSIX, GetLastError() on Windows; 0 when written), so that the user can be told why.
struct FileResult {
    FileOutcome outcome = FileOutcome::Written;
    int systemError = 0;
};

// `path` is in the platform's code page (932 for the program).
//
// A plain file is written to a temporary file in the same folder, flushed to disk and moved
// over the target in one step; devices and pipes are written where they are. On POSIX systems a
// target that the move would change in other ways (a file with several hard links, extended
// attributes or an access list) is rewritten where it is, and a symbolic link keeps pointing
// where it points: the file it names is the one written, and made if it does not exist yet. On
// Windows ReplaceFileA carries the old file's attributes and security over to the new one.
FileResult FileWriteWhole(const char* path, std::span<const uint8_t> bytes);
FileResult StandardOutputWriteWhole(std::span<const uint8_t> bytes);

// Removes the temporary file of a write in progress, if there is one. Safe to call from a
// signal handler (POSIX) or a console control handler (Windows): the program's way out when it
// is interrupted during a save.
void FileWriteAbandon();

// The system's description of an error code of the kind FileResult carries, in UTF-8.
std::string SystemErrorText(int systemError);

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

#ifndef _WIN32
// A file written piece by piece, for an encoder that never holds the whole file and goes back to
// finish what it wrote first (a header that counts what follows). The pieces go to a temporary
// file beside the target, and Commit puts the whole in place as FileWriteWhole does: replaced in
// one rename, or, for a target whose identity matters (other hard links, extended attributes),
// copied over it in place with the interrupts held off. Until then the target is as it was; a
// stream that goes uncommitted removes its temporary file. A device or a pipe is written where
// it is, and standard output as it comes: neither can go back. POSIX only: the Windows build
// writes no format that needs it.
class FileStream {
  public:
    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    FileResult Open(const char* path);
    void OpenStandardOutput();
    // Writes at the position, which then lies past the bytes.
    FileResult Write(std::span<const uint8_t> bytes);
    // Moves the position; false where the stream cannot go back.
    bool Seek(int64_t position);
    int64_t Position() const { return position_; }
    int64_t Size() const { return size_; }
    FileResult Commit();

  private:
    enum class Plan { None, Replace, CopyInPlace, AsItComes };
    Plan plan_ = Plan::None;
    int fd_ = -1;
    bool standardOutput_ = false;
    int folder_ = -1;
    std::string path_;  // the target once links are followed
    std::string name_;  // its name in its folder
    int64_t position_ = 0;
    int64_t size_ = 0;
};
#endif

// Removes the temporary file of a write in progress, if there is one. Safe to call from a
// signal handler (POSIX) or a console control handler (Windows): the program's way out when it
// is interrupted during a save.
void FileWriteAbandon();

// The system's description of an error code of the kind FileResult carries, in UTF-8.
std::string SystemErrorText(int systemError);

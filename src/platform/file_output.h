// Writing a whole file so that a failure leaves the old file as it was and no temporary file
// beside it; the one exception, a file that must be rewritten where it is, is spelt out below.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"

enum class FileOutcome {
    Written,      // every byte is on disk under the name
    OpenFailed,   // the target cannot be created or replaced; it is unchanged
    WriteFailed,  // writing failed part-way; the target is unchanged unless `partlyWritten`
};

// How a write ended, with the system's own error code for the step that failed (errno on
// POSIX, GetLastError() on Windows; 0 when written), so that the user can be told why.
struct FileResult {
    FileOutcome outcome = FileOutcome::Written;
    int systemError = 0;
    // The write failed while the target was being rewritten in place or was a device: it holds
    // the new bytes up to the failure, and after them the old bytes (or zeros where the file
    // grew). Never set for a file replaced through a temporary one.
    bool partlyWritten = false;
};

// `path` is in the platform's code page (932 for the program). Symbolic links are followed: the
// file a link names is the one written, made if it does not exist yet, and the link stays.
//
// A plain file is written to a temporary file in the same folder, flushed to disk and moved
// over the target in one step. A target that a new file would not fully stand in for (one with
// other hard links, or on POSIX systems with extended attributes or an access list), a writable
// file in a folder that takes no new files, and a file whose folder leaves no room within the
// limit on a path for a temporary name beside it, are rewritten in place: the new length is
// reserved first, so that a full disk is found before a byte changes, and interrupts are held off
// from the first write to the flush. Only a failure after that, a write error of the disk itself,
// leaves such a file partly written; a new file written in place is made empty first and removed
// again if its write fails. Devices and pipes are written where they are. On Windows
// ReplaceFileA carries the old file's attributes and security over to the new one.
FileResult FileWriteWhole(const char* path, std::span<const uint8_t> bytes);
FileResult StandardOutputWriteWhole(std::span<const uint8_t> bytes);

// One file written in two steps, so that several can be made ready before any of them changes:
// staging writes the new contents where they replace nothing yet (the temporary file), committing
// puts them in place. A target written where it is is only opened by Commit; its contents wait in
// memory until then (a whole image, or an encoder's output, which is small beside it). What is
// staged and not committed is discarded when the object goes.
class StagedFile {
  public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Decides how `path` is written and makes its temporary file.
    FileResult Begin(const char* path);
    // Writes bytes into the new contents at the position, which then lies past them.
    FileResult Append(std::span<const uint8_t> bytes);
    // Moves the position within the new contents, for a writer that goes back to finish what it
    // wrote first (an encoder's header that counts what follows). Past the end is allowed; the
    // gap reads as zeros.
    FileResult Seek(int64_t position);
    int64_t Position() const { return position_; }
    int64_t Size() const { return size_; }
    // All the contents at once, then Finish. For a target written where it is, `bytes` is not
    // copied and must outlive Commit.
    FileResult PutWhole(std::span<const uint8_t> bytes);
    // Begin and PutWhole.
    FileResult Stage(const char* path, std::span<const uint8_t> bytes);
    // Flushes the temporary file to disk and closes it.
    FileResult Finish();
    // Puts the staged contents in place, holding off interrupts while the target changes.
    FileResult Commit();

  private:
    enum class Plan { None, Replace, InPlace, Device };
    FileResult InPlaceOrFail(int error);
    FileResult WithoutTemporary();
    FileResult Discard(FileResult why);
    FileResult CommitReplace();
    FileResult CommitWhereItIs();

    Plan plan_ = Plan::None;
    Target target_;
    SystemFolder folder_;
    std::string temporaryName_;
    SystemFile temporary_ = kNoFile;
    int pending_ = -1;      // the temporary file's place in the record FileWriteAbandon reads
    int placeholder_ = -1;  // the same for a file made where a dangling link points
    std::vector<uint8_t> kept_;
    std::span<const uint8_t> whole_;
    int64_t position_ = 0;
    int64_t size_ = 0;
};

// Whether two paths lead to the same file: through symbolic links and hard links alike, and for
// a file that does not exist yet, to the same name.
bool FileTargetsMatch(const char* first, const char* second);

// Whether `path` leads to the file a standard stream is redirected from or to ("< message.txt",
// "> out.txt"), through symbolic and hard links alike. A terminal, a pipe or a device is no
// such file.
bool StandardStreamIsFile(StandardStream stream, const char* path);

// Which file an open file is, taken while it is open: a later comparison then concerns the
// file that was read, whatever its name, even one the platform's code page cannot spell.
struct OpenedFile {
    uint64_t volume = 0;  // 0 where the system does not tell it
    uint64_t file = 0;
};
// None for a device or a pipe, which no path written to can replace.
std::optional<OpenedFile> OpenedFileOf(SystemFile file);
// Whether `path` leads to that file, through symbolic and hard links alike.
bool PathLeadsToOpenedFile(const char* path, const OpenedFile& opened);

// Removes every temporary file of a write in progress (and a file made for a dangling link).
// Safe to call from a signal handler (POSIX) or, after InterruptsHoldBegin, from a console
// control handler (Windows): the program's way out when it is interrupted during a save.
void FileWriteAbandon();

// The system's description of an error code of the kind FileResult carries, in UTF-8.
std::string SystemErrorText(int systemError);

// The system calls behind file_output.cpp, one implementation per platform (file_output_posix.cpp,
// file_output_win32.cpp). Each returns false (or an empty handle) on failure with the system's
// error code left where SystemLastError finds it. file_output.cpp holds every decision and adds
// the seams that tests use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A descriptor on POSIX systems, a HANDLE on Windows; kNoFile when there is none.
using SystemFile = intptr_t;
inline constexpr SystemFile kNoFile = -1;

enum class TargetKind { Missing, Regular, Device };

// What a path leads to once symbolic links are followed. A link that names a file which does not
// exist yet leads to that name, as a shell's redirection does.
struct Target {
    std::string path;  // the name the bytes go to, in the platform's code page
    std::string name;  // its last part: the entry in its folder
    TargetKind kind = TargetKind::Missing;
    int64_t size = 0;
    // A file that a new one would not fully stand in for: other hard links to it, attributes or
    // an access list that a new file would lack. It is rewritten where it is.
    bool keepIdentity = false;
    // Windows: an empty file made where a dangling link points, to learn where that is; it is
    // removed if the save does not take its place.
    bool madeForLink = false;
    // Which file it is, or for a missing target which folder it would be made in (both 0 when
    // that folder is missing too): for a comparison of two paths.
    uint64_t volume = 0;
    uint64_t file = 0;
};

// Follows links; an existing target must be a writable file or device, else the call fails with
// the system's reason (a folder included).
bool SystemResolve(const char* path, Target& target);
// Follows links as far as the system shows them, to compare two paths; makes nothing and
// checks no rights.
bool SystemResolveToCompare(const char* path, Target& target);
// What a standard stream is: a file (Regular, with its identity) or anything else (Device). The
// volume is 0 where the system does not tell it.
enum class StandardStream { Input, Output };
bool SystemResolveStandardStream(StandardStream stream, Target& target);
// The same for a file the program has open.
bool SystemResolveOpenFile(SystemFile file, Target& target);
// Whether two names (or paths) are the same as the file system compares them.
bool SystemSameName(const std::string& first, const std::string& second);

// The folder a target lies in, where its temporary file is made: a descriptor of the folder on
// POSIX systems (names are relative to it), its path with a final separator on Windows.
struct SystemFolder {
    SystemFile handle = kNoFile;
    std::string path;
};
bool SystemFolderOpen(const std::string& targetPath, SystemFolder& folder);
void SystemFolderClose(SystemFolder& folder);
// The longest name a new entry of the folder may have.
std::size_t SystemNameLimit(const SystemFolder& folder);
// How SystemRemoveEntry names an entry of the folder: the name itself, or the full path.
std::string SystemEntryName(const SystemFolder& folder, const std::string& name);
// Removes an entry named by SystemEntryName; safe in a signal handler.
void SystemRemoveEntry(SystemFile folderHandle, const char* entryName);

// Makes a new file for writing, failing if the name is taken (SystemNameTaken); on POSIX systems
// readable by its owner alone until SystemGiveRights, so that nobody reads it half-written.
bool SystemCreateNew(const SystemFolder& folder, const std::string& name, SystemFile& file);
// The rights the finished file is to have: the target's own when it exists, a new file's else.
void SystemGiveRights(SystemFile file, const Target& target);
// Moves the temporary file `name` over the target in one step.
enum class ReplaceResult { Replaced, Failed, FailedTemporaryKept };
ReplaceResult SystemReplace(const SystemFolder& folder, const std::string& name, const Target& target);
// Makes the folder's new entry last (POSIX: the rename reaches the disk with the folder).
void SystemFolderFlush(const SystemFolder& folder);

// Opens the existing target for writing from its first byte: a file, keeping its contents, or a
// device (emptied where that means anything).
bool SystemOpenExisting(const Target& target, SystemFile& file);
// Makes room on the disk for `newSize` bytes of a file now `oldSize` long, or finds that there is
// none; the position stays at the first byte.
bool SystemReserve(SystemFile file, int64_t oldSize, int64_t newSize);
bool SystemSetLength(SystemFile file, int64_t size);
// Moves the position of a file opened for writing to `position` bytes from its start.
bool SystemSeek(SystemFile file, int64_t position);
// Writes part of `bytes` (at most a gigabyte) at the current position: how much in `written`.
bool SystemWrite(SystemFile file, const uint8_t* bytes, std::size_t size, std::size_t& written);
bool SystemFlush(SystemFile file);
bool SystemClose(SystemFile file);
SystemFile SystemStandardOutput();

int SystemLastError();
void SystemSetLastError(int error);
bool SystemNameTaken(int error);
bool SystemAccessDenied(int error);
// The errors of a name that is empty, and of a write that took nothing.
int SystemNoNameError();
int SystemNothingWrittenError();
// Different for each call and each process, for temporary names.
uint64_t SystemUniqueSeed();

#include "platform/file_output.h"

#include <algorithm>
#include <csignal>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/interrupt_hold.h"

namespace {

// The files of the saves in progress that an interrupt removes: the temporary files (two when a
// WAV file and its labels are staged together) and a file made where a dangling link points.
// Every change is made while interrupts are held, so that FileWriteAbandon finds each entry
// either unused or complete.
constexpr int kPendingEntries = 4;
constexpr std::size_t kPendingNameMax = 1024;
struct PendingEntry {
    volatile std::sig_atomic_t used = 0;
    SystemFile folder = kNoFile;
    char name[kPendingNameMax] = {};
};
PendingEntry g_pending[kPendingEntries];

// Call with interrupts held. -1 when the record is full or the name does not fit.
int PendingRecord(SystemFile folder, const std::string& name) {
    if (name.size() >= kPendingNameMax) return -1;
    for (int k = 0; k < kPendingEntries; ++k) {
        PendingEntry& entry = g_pending[k];
        if (entry.used) continue;
        name.copy(entry.name, kPendingNameMax - 1);
        entry.name[name.size()] = '\0';
        entry.folder = folder;
        entry.used = 1;
        return k;
    }
    return -1;
}

// Call with interrupts held: the file now stands where it belongs, or must stay.
void PendingForget(int& entry) {
    if (entry >= 0) g_pending[entry].used = 0;
    entry = -1;
}

void PendingRemove(int& entry) {
    if (entry < 0) return;
    const InterruptsHeld held;
    if (g_pending[entry].used) SystemRemoveEntry(g_pending[entry].folder, g_pending[entry].name);
    PendingForget(entry);
}

// The system calls of a save that can fail, each first asking whether a test wants it to.
bool Injected(FaultStep step) {
    int error = 0;
    if (!FaultFires(step, error)) return false;
    SystemSetLastError(error);
    return true;
}

constexpr std::size_t kLargestWrite = std::size_t{1} << 30;

bool Write(SystemFile file, std::span<const uint8_t> bytes, std::size_t& written) {
    if (Injected(FaultStep::Write)) return false;
    std::size_t size = std::min(bytes.size(), kLargestWrite);
    int ignored = 0;
    if (size > 1 && FaultFires(FaultStep::ShortWrite, ignored)) size /= 2;
    return SystemWrite(file, bytes.data(), size, written);
}

bool Flush(SystemFile file) { return !Injected(FaultStep::Flush) && SystemFlush(file); }

// The file is closed either way; the failure tells the caller that the close reported one (NFS
// reports late write errors there).
bool Close(SystemFile file) {
    const bool closed = SystemClose(file);
    return !Injected(FaultStep::Close) && closed;
}

// Every byte, going on after short writes: one call for the whole image as a rule.
bool WriteAll(SystemFile file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (!Write(file, bytes, written)) return false;
        if (written == 0) {
            SystemSetLastError(SystemNothingWrittenError());
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

FileResult Failed(FileOutcome outcome, bool partlyWritten = false) {
    return {outcome, SystemLastError(), partlyWritten};
}

// A name for the temporary file: hidden on POSIX systems, beside the target and named after it
// when that fits the folder's limit on names, a short fixed stem otherwise. Six random letters
// follow. Empty when not even the short stem fits (a folder whose path is close to the limit on
// a whole path).
std::string TemporaryName(const SystemFolder& folder, const std::string& targetName, unsigned attempt) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    uint64_t seed = SystemUniqueSeed() ^ (uint64_t{attempt} * 0x9E3779B97F4A7C15u);
    std::string suffix(6, 'X');
    for (char& c : suffix) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        c = kLetters[seed % (sizeof kLetters - 1)];
    }
    const std::string full = "." + targetName + "." + suffix;
    if (full.size() <= SystemNameLimit(folder)) return full;
    std::string stem = ".velmora-" + suffix;
    return stem.size() <= SystemNameLimit(folder) ? stem : std::string();
}

}  // namespace

StagedFile::~StagedFile() { Discard({}); }

// What was staged goes: the temporary file, and a file made for a dangling link.
FileResult StagedFile::Discard(FileResult why) {
    if (temporary_ != kNoFile) SystemClose(std::exchange(temporary_, kNoFile));
    PendingRemove(pending_);
    PendingRemove(placeholder_);
    SystemFolderClose(folder_);
    plan_ = Plan::None;
    kept_.clear();
    whole_ = {};
    position_ = 0;
    size_ = 0;
    return why;
}

FileResult StagedFile::Begin(const char* path) {
    Discard({});
    if (path == nullptr || *path == '\0') {
        SystemSetLastError(SystemNoNameError());
        return Failed(FileOutcome::OpenFailed);
    }
    {
        const InterruptsHeld held;  // a file made for a dangling link is recorded at once
        if (!SystemResolve(path, target_)) return Failed(FileOutcome::OpenFailed);
        if (target_.madeForLink) placeholder_ = PendingRecord(kNoFile, target_.path);
    }
    if (target_.kind == TargetKind::Device) {
        plan_ = Plan::Device;
        return {};
    }
    if (target_.kind == TargetKind::Regular && target_.keepIdentity) {
        plan_ = Plan::InPlace;
        return {};
    }
    if (!SystemFolderOpen(target_.path, folder_)) return Discard(Failed(FileOutcome::OpenFailed));
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(folder_, target_.name, attempt);
        if (name.empty()) return WithoutTemporary();
        const InterruptsHeld held;
        if (Injected(FaultStep::CreateTemporary)) return InPlaceOrFail(SystemLastError());
        if (SystemCreateNew(folder_, name, temporary_)) {
            temporaryName_ = name;
            const std::string entry = SystemEntryName(folder_, name);
            pending_ = PendingRecord(folder_.handle, entry);
            if (pending_ < 0) {  // made, but not recorded: Discard would not know to remove it
                SystemClose(std::exchange(temporary_, kNoFile));
                SystemRemoveEntry(folder_.handle, entry.c_str());
                return Discard({FileOutcome::OpenFailed, SystemNoNameError()});
            }
            plan_ = Plan::Replace;
            SystemGiveRights(temporary_, target_);
            return {};
        }
        if (!SystemNameTaken(SystemLastError())) return InPlaceOrFail(SystemLastError());
    }
    return InPlaceOrFail(SystemLastError());
}

// A folder that takes no new entries may still hold a writable file of the name: rewriting it
// where it is, its new length reserved first, is what the user asked for, even without the
// safety net of the temporary file.
FileResult StagedFile::InPlaceOrFail(int error) {
    SystemFolderClose(folder_);
    if (target_.kind == TargetKind::Regular && SystemAccessDenied(error)) {
        plan_ = Plan::InPlace;
        return {};
    }
    return Discard({FileOutcome::OpenFailed, error, false});
}

// No temporary file fits beside the target, though the target's own name does: the file is
// written where it is, as a file that must keep its identity is, its new length reserved first.
// A new file is made empty for it and goes again if the write fails.
FileResult StagedFile::WithoutTemporary() {
    if (target_.kind == TargetKind::Missing) {
        const InterruptsHeld held;
        SystemFile made = kNoFile;
        if (!SystemCreateNew(folder_, target_.name, made)) return Discard(Failed(FileOutcome::OpenFailed));
        SystemClose(made);
        placeholder_ = PendingRecord(kNoFile, target_.path);
        target_.kind = TargetKind::Regular;
    }
    SystemFolderClose(folder_);
    if (target_.kind != TargetKind::Regular) return Discard({FileOutcome::OpenFailed, SystemNoNameError(), false});
    plan_ = Plan::InPlace;
    return {};
}

FileResult StagedFile::Append(std::span<const uint8_t> bytes) {
    switch (plan_) {
        case Plan::Replace:
            if (!WriteAll(temporary_, bytes)) return Discard(Failed(FileOutcome::WriteFailed));
            break;
        case Plan::InPlace:
        case Plan::Device: {
            const auto at = static_cast<std::size_t>(position_);
            if (kept_.size() < at + bytes.size()) kept_.resize(at + bytes.size());
            std::copy(bytes.begin(), bytes.end(), kept_.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        }
        case Plan::None: return {FileOutcome::OpenFailed, SystemNoNameError(), false};
    }
    position_ += static_cast<int64_t>(bytes.size());
    size_ = std::max(size_, position_);
    return {};
}

FileResult StagedFile::Seek(int64_t position) {
    if (plan_ == Plan::None || position < 0) return {FileOutcome::WriteFailed, SystemNoNameError(), false};
    if (plan_ == Plan::Replace && !SystemSeek(temporary_, position)) return Discard(Failed(FileOutcome::WriteFailed));
    position_ = position;
    return {};
}

FileResult StagedFile::PutWhole(std::span<const uint8_t> bytes) {
    if (plan_ == Plan::InPlace || plan_ == Plan::Device) {
        whole_ = bytes;
        return {};
    }
    const FileResult appended = Append(bytes);
    return appended.outcome == FileOutcome::Written ? Finish() : appended;
}

FileResult StagedFile::Stage(const char* path, std::span<const uint8_t> bytes) {
    const FileResult begun = Begin(path);
    return begun.outcome == FileOutcome::Written ? PutWhole(bytes) : begun;
}

FileResult StagedFile::Finish() {
    if (plan_ != Plan::Replace || temporary_ == kNoFile) return {};
    const bool flushed = Flush(temporary_);
    int error = flushed ? 0 : SystemLastError();
    const bool closed = Close(std::exchange(temporary_, kNoFile));
    if (flushed && !closed) error = SystemLastError();
    if (!flushed || !closed) return Discard({FileOutcome::WriteFailed, error, false});
    return {};
}

FileResult StagedFile::Commit() {
    switch (plan_) {
        case Plan::Replace: return CommitReplace();
        case Plan::InPlace: {
            const InterruptsHeld held;  // from the first write to the flush: nothing half-done
            return CommitWhereItIs();
        }
        case Plan::Device: return CommitWhereItIs();
        case Plan::None: break;
    }
    return {FileOutcome::OpenFailed, SystemNoNameError(), false};
}

// The temporary file takes the target's name in one step: the old file stays byte for byte as it
// was until then. If the move fails half-way (on Windows, after the old file has left the name)
// and the temporary file holds the only copy, it stays.
FileResult StagedFile::CommitReplace() {
    if (const FileResult finished = Finish(); finished.outcome != FileOutcome::Written) return finished;
    {
        const InterruptsHeld held;
        const ReplaceResult replaced =
            Injected(FaultStep::Replace) ? ReplaceResult::Failed : SystemReplace(folder_, temporaryName_, target_);
        const int error = SystemLastError();
        if (replaced == ReplaceResult::FailedTemporaryKept) PendingForget(pending_);
        if (replaced != ReplaceResult::Replaced) return Discard({FileOutcome::OpenFailed, error, false});
        PendingForget(pending_);
        PendingForget(placeholder_);
    }
    SystemFolderFlush(folder_);
    return Discard({});
}

// A device, or a file whose identity matters, written from its first byte. A file gets its new
// length reserved first, so that a full disk is found before a byte of the old contents changes,
// and is cut to the new length and flushed.
FileResult StagedFile::CommitWhereItIs() {
    const std::span<const uint8_t> bytes = kept_.empty() ? whole_ : std::span<const uint8_t>(kept_);
    const bool file = target_.kind == TargetKind::Regular;
    const auto size = static_cast<int64_t>(bytes.size());
    SystemFile target = kNoFile;
    if (!SystemOpenExisting(target_, target)) return Discard(Failed(FileOutcome::OpenFailed));
    if (file && !SystemReserve(target, target_.size, size)) {
        const FileResult failed = Failed(FileOutcome::WriteFailed);
        SystemClose(target);
        return Discard(failed);
    }
    const bool written = WriteAll(target, bytes) && (!file || (SystemSetLength(target, size) && Flush(target)));
    int error = written ? 0 : SystemLastError();
    const bool closed = Close(target);
    if (written && !closed) error = SystemLastError();
    // A file made for this save goes again: only an old file can be left partly written.
    if (!written || !closed) return Discard({FileOutcome::WriteFailed, error, file && placeholder_ < 0});
    PendingForget(placeholder_);
    return Discard({});
}

FileResult FileWriteWhole(const char* path, std::span<const uint8_t> bytes) {
    StagedFile file;
    const FileResult staged = file.Stage(path, bytes);
    return staged.outcome == FileOutcome::Written ? file.Commit() : staged;
}

FileResult StandardOutputWriteWhole(std::span<const uint8_t> bytes) {
    const SystemFile out = SystemStandardOutput();
    if (out == kNoFile) return Failed(FileOutcome::OpenFailed);
    if (!WriteAll(out, bytes)) return Failed(FileOutcome::WriteFailed);
    return {};
}

// Two names are one file when they lead to the same file, or, where none exists yet, to the
// same name in the same folder.
bool FileTargetsMatch(const char* first, const char* second) {
    Target a;
    Target b;
    if (!SystemResolveToCompare(first, a) || !SystemResolveToCompare(second, b)) return false;
    if ((a.kind == TargetKind::Missing) != (b.kind == TargetKind::Missing)) return false;
    if (a.volume != b.volume || a.file != b.file) return false;
    if (a.kind != TargetKind::Missing) return true;
    return a.volume == 0 && a.file == 0 ? SystemSameName(a.path, b.path) : SystemSameName(a.name, b.name);
}

bool StandardStreamIsFile(StandardStream stream, const char* path) {
    Target streamFile;
    if (!SystemResolveStandardStream(stream, streamFile) || streamFile.kind != TargetKind::Regular) return false;
    return PathLeadsToOpenedFile(path, {streamFile.volume, streamFile.file});
}

std::optional<OpenedFile> OpenedFileOf(SystemFile file) {
    Target opened;
    if (!SystemResolveOpenFile(file, opened) || opened.kind != TargetKind::Regular) return std::nullopt;
    return OpenedFile{opened.volume, opened.file};
}

bool PathLeadsToOpenedFile(const char* path, const OpenedFile& opened) {
    Target target;
    if (!SystemResolveToCompare(path, target)) return false;
    // A volume unknown leaves the file's index on its own: at worst a refusal too many.
    const bool volumeMatches = opened.volume == 0 || opened.volume == target.volume;
    return target.kind == TargetKind::Regular && volumeMatches && opened.file == target.file;
}

// Only async-signal-safe calls: the removal of each entry and plain loads and stores.
void FileWriteAbandon() {
    for (PendingEntry& entry : g_pending) {
        if (!entry.used) continue;
        entry.used = 0;
        SystemRemoveEntry(entry.folder, entry.name);
    }
}

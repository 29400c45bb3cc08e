#include "cli/batch.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "cli/diagnostics.h"
#include "frontend/code_page.h"
#include "frontend/message_text.h"
#include "platform/file_output.h"

namespace {

constexpr int kLeastDigits = 4;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

int DigitsOf(std::size_t number) {
    int digits = 1;
    for (; number >= 10; number /= 10) ++digits;
    return digits;
}

}  // namespace

bool BatchLineReader::Next(BatchLine& line) {
    while (at_ <= input_.size()) {
        std::size_t end = input_.find('\n', at_);
        if (end == std::string_view::npos) end = input_.size();
        std::string_view text = input_.substr(at_, end - at_);
        at_ = end + 1;
        ++number_;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty()) continue;
        line = {number_, text};
        return true;
    }
    return false;
}

std::size_t BatchLastLineNumber(std::string_view input) {
    BatchLineReader reader(input);
    std::size_t last = 0;
    for (BatchLine line; reader.Next(line);) last = line.number;
    return last;
}

BatchNames::BatchNames(std::size_t largestLineNumber, std::string audioExtension, std::string labelExtension)
    : digits_(std::max(kLeastDigits, DigitsOf(largestLineNumber))),
      audioExtension_(std::move(audioExtension)),
      labelExtension_(std::move(labelExtension)) {}

std::string BatchNames::Named(std::size_t lineNumber, std::string_view extension) const {
    char stem[32];  // 20 digits at most
    (void)std::snprintf(stem, sizeof stem, "%0*zu", digits_, lineNumber);
    return std::string(stem) + std::string(extension);
}

bool BatchNames::IsBatchFile(std::string_view name) const {
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot < kLeastDigits) return false;
    if (!std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(dot),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const std::string_view extension = name.substr(dot);
    return SameIgnoringCase(extension, audioExtension_) ||
           (!labelExtension_.empty() && SameIgnoringCase(extension, labelExtension_));
}

std::error_code BatchFolderMake(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::create_directory(folder, error) || error) return error;
    if (!std::filesystem::is_directory(folder, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    return error;
}

std::vector<std::string> BatchFilesIn(const std::filesystem::path& folder, const BatchNames& names,
                                      std::error_code& error) {
    std::vector<std::string> found;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code kind;
        if (entry->is_directory(kind)) continue;  // a batch writes no folders, and removes none
        std::string name = Utf8Path(entry->path().filename());
        if (names.IsBatchFile(name)) found.push_back(std::move(name));
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string BatchFileRemove(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::remove(file, error);
    if (error) return error.message();
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        return "the system reported it removed, but it is still there";
    }
    return {};
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

namespace {

// How bad an exit status is, for the worst of a batch: out of memory, a failed file, a refusal.
int Severity(int exitCode) {
    switch (exitCode) {
        case kExitWritten: return 0;
        case kExitRefused: return 1;
        case kExitFileFailed: return 2;
        default: return 3;
    }
}

// Up to a dozen names, then how many more.
std::string NameList(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 12;
    std::string list;
    for (std::size_t k = 0; k < names.size() && k < kShown; ++k) list += (k > 0 ? ", " : "") + SafeToShow(names[k]);
    if (names.size() > kShown) list += " and " + std::to_string(names.size() - kShown) + " more";
    return list;
}

// The batch's folder, made if need be, and the files an earlier batch left in it.
struct BatchFolder {
    std::filesystem::path path;
    std::string shown;                 // 'drills/', for messages
    std::vector<std::string> earlier;  // names, UTF-8
};

// Makes the folder and finds an earlier batch's files; kExitWritten when the lines may be
// written. The input among them, or without --overwrite any of them, stops the run before
// anything changes.
int BatchFolderOpen(const RunSettings& run, const BatchNames& names, BatchFolder& folder) {
    const CliOptions& options = run.options;
    if (const std::error_code made = BatchFolderMake(folder.path)) {
        Say("velmora-cli: cannot make the folder " + folder.shown + ": " + made.message() + "\n");
        return kExitFileFailed;
    }
    std::error_code error;
    folder.earlier = BatchFilesIn(folder.path, names, error);
    if (error) {
        Say("velmora-cli: cannot read the folder " + folder.shown + ": " + error.message() + "\n");
        return kExitFileFailed;
    }
    for (const std::string& name : folder.earlier) {
        if (IsInputFile(run, Utf8Path(folder.path / PathFromUtf8(name)))) {
            return UsageError("the input '" + *options.input + "' is a file of a batch in the folder " + folder.shown +
                              ", which this batch would rewrite or remove; move it, or write to another folder");
        }
    }
    if (folder.earlier.empty() || options.overwrite) return kExitWritten;
    return UsageError("the folder " + folder.shown + " holds files of an earlier batch: " + NameList(folder.earlier) +
                      "; give --overwrite to remove them, or another folder");
}

// Whether an earlier batch's file is one of `kept` (this run's, by name): the same name, or one
// that differs in case only and is the same file (as on Windows, whose names ignore case).
bool IsKept(const std::filesystem::path& file, const std::string& name,
            const std::unordered_map<std::string, std::string>& kept) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), AsciiLower);
    const auto found = kept.find(key);
    if (found == kept.end()) return false;
    const auto ours = PlatformPathFromUtf8(found->second);
    const auto earlier = PlatformPathFromUtf8(Utf8Path(file));
    return ours && earlier && FileTargetsMatch(ours->c_str(), earlier->c_str());
}

// With --overwrite, once the lines are done: every file of an earlier batch that this run did not
// put in place goes, so that the folder holds this run alone. The file of a line whose save
// failed, or that ran out of memory, stays as it was, as a failed run promises. `kept` are the
// files of those lines and of the lines written: their names in lower case, and their paths.
int BatchFolderClear(const CliOptions& options, const BatchFolder& folder,
                     const std::unordered_map<std::string, std::string>& kept) {
    std::size_t removed = 0;
    for (const std::string& name : folder.earlier) {
        const std::filesystem::path file = folder.path / PathFromUtf8(name);
        if (IsKept(file, name, kept)) continue;
        if (const std::string why = BatchFileRemove(file); !why.empty()) {
            Say("velmora-cli: cannot remove " + SafeToShow(name) + " of an earlier batch from " + folder.shown + ": " +
                why + "\n");
            return kExitFileFailed;
        }
        ++removed;
    }
    if (removed > 0 && !options.quiet) {
        const std::string files = removed == 1 ? "1 file" : std::to_string(removed) + " files";
        Say("velmora-cli: removed " + files + " of an earlier batch from " + folder.shown + "\n");
    }
    return kExitWritten;
}

}  // namespace

int RunBatch(const RunSettings& run, std::string_view input) {
    const CliOptions& options = run.options;
    const std::size_t lastLine = BatchLastLineNumber(input);
    if (lastLine == 0) {
        if (!options.quiet) Say("velmora-cli: the input has no line to sound (it is empty or blank); nothing written\n");
        return kExitRefused;
    }
    const std::string extension = options.labels ? options.labels->substr(options.labels->find_last_of('.')) : "";
    const std::string audioExtension = AudioFileExtension(options.format);
    const BatchNames names(lastLine, audioExtension, extension);
    BatchFolder folder{PathFromUtf8(*options.output), "'" + SafeToShow(*options.output) + "'", {}};
    // Each line's files are named in the folder: a folder that cannot be named on this system
    // would refuse every line, and with --overwrite then remove the earlier batch's files.
    if (!options.dryRun && !PlatformPathFromUtf8(*options.output)) {
        return UsageError("the folder path '" + *options.output + "' cannot be written on this system");
    }
    if (!options.dryRun) {
        if (const int status = BatchFolderOpen(run, names, folder); status != kExitWritten) return status;
    }
    int worst = kExitWritten;
    std::unordered_map<std::string, std::string> kept;  // the files this run put in place, or left as they were
    BatchLineReader reader(input);
    for (BatchLine line; reader.Next(line);) {
        const auto named = [&](std::string_view suffix) { return Utf8Path(folder.path / names.Named(line.number, suffix)); };
        const std::string prefix = "velmora-cli: line " + std::to_string(line.number) + ": ";
        Job job{std::string(line.text), options.dryRun ? "" : named(audioExtension), std::nullopt, prefix, prefix};
        if (options.labels) job.labels = named(extension);
        const int status = RunJob(run, job);
        if (status == kExitWritten || status == kExitFileFailed || status == kExitOutOfMemory) {
            for (const std::string& suffix : {audioExtension, extension}) {
                if (suffix.empty()) continue;
                std::string key = names.Named(line.number, suffix);
                std::transform(key.begin(), key.end(), key.begin(), AsciiLower);
                kept.emplace(std::move(key), named(suffix));
            }
        }
        if (Severity(status) > Severity(worst)) worst = status;
    }
    if (options.dryRun || folder.earlier.empty()) return worst;
    const int cleared = BatchFolderClear(options, folder, kept);
    return Severity(cleared) > Severity(worst) ? cleared : worst;
}

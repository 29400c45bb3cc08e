// A batch: one message per non-empty line of the input, each written to a file of the folder
// --output names, called after its line number (0001.wav, and 0001.srt beside it for labels).
#pragma once

#include "cli/job.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

struct BatchLine {
    std::size_t number = 0;  // 1-based, counting the empty lines too
    std::string_view text;   // without its line break
};

// The lines to sound, one after the other: a line break is "\n" or "\r\n", and an empty line is
// skipped. Reads the input where it lies.
class BatchLineReader {
  public:
    explicit BatchLineReader(std::string_view input) : input_(input) {}
    // The next line to sound; false when there is none.
    bool Next(BatchLine& line);

  private:
    std::string_view input_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

// The number of the last line to sound; 0 when there is none.
std::size_t BatchLastLineNumber(std::string_view input);

// The names of a batch's files. Every number has as many digits as the largest one needs, and at
// least 4, so that the names sort in the order of the lines.
class BatchNames {
  public:
    // `audioExtension` is ".wav" or the like; `labelExtension` ".srt" or the like, or empty for a
    // batch without labels.
    BatchNames(std::size_t largestLineNumber, std::string audioExtension, std::string labelExtension);

    std::string Named(std::size_t lineNumber, std::string_view extension) const;
    // Whether a file of this name could come from a batch that writes these kinds of file: 4 or
    // more digits, then the audio or the label extension, in any case (Windows does not tell them
    // apart).
    bool IsBatchFile(std::string_view name) const;

  private:
    int digits_ = 4;
    std::string audioExtension_;
    std::string labelExtension_;
};

// Makes the folder unless it exists (its parent must): the cause when it cannot be made, or when
// the name is taken by something that is no folder.
std::error_code BatchFolderMake(const std::filesystem::path& folder);

// The names (UTF-8, sorted) of the files in the folder that a batch with these names writes.
std::vector<std::string> BatchFilesIn(const std::filesystem::path& folder, const BatchNames& names,
                                      std::error_code& error);

// Removes a file of an earlier batch: why it could not be removed, or "". A removal that the
// system reports done is checked, since Wine reports one done in a folder that takes no changes.
std::string BatchFileRemove(const std::filesystem::path& file);

// A path given in UTF-8, and a path as UTF-8.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

// Runs every line as a job of its own; a refused line does not stop the rest. The exit status is
// the worst of the lines: out of memory, then a failed file, then a refused line.
int RunBatch(const RunSettings& run, std::string_view input);

// One message of a run: made into audio, written with its label track, and reported line by line
// as the window's boxes would report it.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"
#include "morse/synthesis.h"
#include "platform/file_output.h"

// What every message of one run shares.
struct RunSettings {
    const CliOptions& options;
    std::string dotText;  // the dot length's field text: --dot, or the whole milliseconds of --wpm
    RunStyle style;
    std::optional<OpenedFile> inputFile;  // the file --input named, as it was read
};

struct Job {
    std::string message;                // in the encoding the options give
    std::string output;                 // UTF-8; "-" is standard output; empty for a dry run
    std::optional<std::string> labels;  // UTF-8
    std::string prefix = "velmora-cli: ";  // "velmora-cli: line 3: " in a batch
    std::string outcomePrefix;             // before the outcome line: "velmora-cli: line 3: " in a batch
};

// The job's exit status.
int RunJob(const RunSettings& run, Job job);

// Whether the UTF-8 `path` leads to the file the message was read from (--input, or the file
// standard input is redirected from), through symbolic and hard links alike: writing there would
// lose the message's file.
bool IsInputFile(const RunSettings& run, const std::string& path);

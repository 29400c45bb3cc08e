// The command line of velmora-cli: one table of options drives both the parser and --help.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/message_text.h"
#include "morse/parameters.h"

struct CliOptions {
    std::optional<std::string> output;   // "-" is standard output; with --batch, a folder
    std::optional<std::string> input;    // "-" is standard input
    std::optional<std::string> message;  // the words after the options, joined by blanks
    std::string dot = kDefaultDotText;   // field texts, exactly as typed into the form
    std::string frequency = kDefaultFrequencyText;
    std::string volume = kDefaultVolumeText;
    bool dotGiven = false;
    std::optional<double> wpm;         // words per minute, which gives the dot length instead of --dot
    std::optional<double> farnsworth;  // the overall speed of Farnsworth timing
    std::optional<std::string> labels;  // a label file; its extension picks the format
    MessageEncoding encoding = MessageEncoding::Utf8;
    bool wordGap = false;
    bool foldKana = false;
    bool batch = false;
    bool overwrite = false;  // with --batch: an earlier batch's files in the folder are removed
    bool listCodes = false;
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

struct ParsedOptions {
    CliOptions options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions ParseOptions(const std::vector<std::string>& arguments);
std::string UsageText();

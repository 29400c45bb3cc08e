// The command line of velmora-cli.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class MessageEncoding { Utf8, Cp932 };

struct CliOptions {
    std::optional<std::string> output;  // "-" is standard output
    std::optional<std::string> input;   // "-" is standard input
    std::optional<std::string> message; // the words after the options, joined by blanks
    std::string dot = "100";            // field texts, exactly as typed into the form
    std::string frequency = "1000";
    std::string volume = "50";
    MessageEncoding encoding = MessageEncoding::Utf8;
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

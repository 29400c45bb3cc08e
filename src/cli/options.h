// The command line of velmora-cli: one table of options drives both the parser and --help.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <cstdint>

#include "cli/audio_file_format.h"
#include "frontend/message_text.h"
#include "morse/code_table.h"
#include "morse/field_text.h"
#include "morse/synthesis.h"

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
    // How the sound is made beyond the window's; without them, the window's bytes.
    std::optional<double> rise;   // milliseconds of each edge of an element
    bool exactPitch = false;
    std::optional<int32_t> rate;  // samples per second
    std::optional<uint16_t> bits;
    std::optional<double> pad;                    // milliseconds of silence before and after
    std::optional<AudioFileFormat> formatAsked;   // --format
    AudioFileFormat format = AudioFileFormat::Wav;  // as chosen by --format or the output's name
    std::optional<double> noise;                  // signal-to-noise ratio in decibels
    std::optional<uint64_t> seed;
    MessageEncoding encoding = MessageEncoding::Utf8;
    CodeSet codes = CodeSet::Window;  // --punctuation: the table with the ITU marks and prosigns
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

// The text runtime must be started: the field texts are read as the window reads them.
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);
// The dot length's field text: --dot as typed, or the whole milliseconds that --wpm stands for.
std::string DotText(const CliOptions& options);
// The timing the options ask for: word gaps, Farnsworth timing.
RunStyle RunStyleOf(const CliOptions& options);
// The sound they ask for beyond the window's: the keying and the sample format.
Keying KeyingOf(const CliOptions& options);
SoundFormat SoundFormatOf(const CliOptions& options);
std::string UsageText();

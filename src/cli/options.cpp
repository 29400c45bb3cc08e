#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "frontend/label_track.h"
#include "frontend/learner_speed.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<MessageEncoding> EncodingNamed(const std::string& name) {
    const std::string n = Lower(name);
    if (n == "utf-8" || n == "utf8") return MessageEncoding::Utf8;
    if (n == "cp932" || n == "shift_jis" || n == "sjis" || n == "windows-31j" || n == "ms932") {
        return MessageEncoding::Cp932;
    }
    return std::nullopt;
}

// What an option does to the options, given its value (empty for a flag); an error, or "".
using Apply = std::string (*)(CliOptions& options, const std::string& value);

template <bool CliOptions::*flag>
std::string SetFlag(CliOptions& options, const std::string&) {
    options.*flag = true;
    return {};
}

template <std::string CliOptions::*field>
std::string StoreText(CliOptions& options, const std::string& value) {
    options.*field = value;
    return {};
}

template <std::optional<std::string> CliOptions::*field>
std::string StorePath(CliOptions& options, const std::string& value) {
    options.*field = value;
    return {};
}

std::string StoreDot(CliOptions& options, const std::string& value) {
    options.dot = value;
    options.dotGiven = true;
    return {};
}

// The speed stands for a dot length, which must round to a whole number of milliseconds that a
// field can hold: from 1 to 2147483647.
std::string StoreWpm(CliOptions& options, const std::string& value) {
    options.wpm = SpeedFromText(value);
    if (!options.wpm) return "--wpm needs a speed in words per minute, a decimal number above 0, not '" + value + "'";
    switch (WpmFitOf(*options.wpm)) {
        case WpmFit::DotBelowOneMillisecond: return "--wpm " + value + " makes a dot shorter than 1 ms";
        case WpmFit::DotBeyondField: return "--wpm " + value + " makes a dot longer than 2147483647 ms";
        case WpmFit::Fits: break;
    }
    return {};
}

// Farnsworth timing is defined over words, "PARIS " with its word gap: it keeps words apart.
std::string StoreFarnsworth(CliOptions& options, const std::string& value) {
    options.farnsworth = SpeedFromText(value);
    options.wordGap = true;
    return options.farnsworth
               ? std::string()
               : "--farnsworth needs a speed in words per minute, a decimal number above 0, not '" + value + "'";
}

std::string StoreLabels(CliOptions& options, const std::string& value) {
    options.labels = value;
    return LabelFormatOf(value) ? std::string()
                                : "--labels wants a path ending in .txt, .srt, .vtt or .csv, not '" + value + "'";
}

std::string StoreEncoding(CliOptions& options, const std::string& value) {
    const auto encoding = EncodingNamed(value);
    if (!encoding) return "unknown encoding '" + value + "' (use utf-8 or cp932)";
    options.encoding = *encoding;
    return {};
}

struct OptionRow {
    const char* longName;
    char shortName;         // '\0' for none
    const char* valueName;  // nullptr for a flag
    const char* help;
    const char* example;
    Apply apply;
};

// Every option, once: the parser and --help both read this table.
constexpr OptionRow kOptions[] = {
    {"output", 'o', "PATH", "the WAV file ('-' = standard output); with --batch, the folder for the files",
     "velmora-cli -o sos.wav SOS",
     StorePath<&CliOptions::output>},
    {"input", 'i', "PATH",
     "read the message from a file ('-' = standard input) instead of MESSAGE; one line break at its end is ignored",
     "velmora-cli -i message.txt -o message.wav",
     StorePath<&CliOptions::input>},
    {"dot", 'd', "TEXT", "dot length in milliseconds, as typed in the window's field (default 100)",
     "velmora-cli -d 60 -o fast.wav CQ",
     StoreDot},
    {"wpm", '\0', "N",
     "the speed in words per minute instead of --dot: a dot of 1200 / N ms (PARIS), N a decimal number; "
     "the dot is rounded to whole milliseconds, with a warning when that changes the speed by more than 1 %",
     "velmora-cli --wpm 20 -o lesson.wav PARIS",
     StoreWpm},
    {"freq", 'f', "TEXT", "tone frequency in hertz, as typed in the field (default 1000)",
     "velmora-cli -f 700 -o low.wav SOS",
     StoreText<&CliOptions::frequency>},
    {"volume", 'v', "TEXT", "volume 0 to 127, as typed in the field (default 50)",
     "velmora-cli -v 100 -o loud.wav SOS",
     StoreText<&CliOptions::volume>},
    {"word-gap", '\0', nullptr,
     "whitespace between words (blank, tab, line break, ideographic space) becomes a word gap of 7 units",
     "velmora-cli --word-gap -o cq.wav 'CQ CQ DE JA1'",
     SetFlag<&CliOptions::wordGap>},
    {"farnsworth", '\0', "WPM",
     "Farnsworth timing: characters at the dot length, gaps stretched to an overall speed of WPM; "
     "implies --word-gap, since the speed counts words with their gaps",
     "velmora-cli --wpm 20 --farnsworth 10 -o lesson.wav 'THE QUICK FOX'",
     StoreFarnsworth},
    {"labels", '\0', "PATH",
     "one label per sounded character (start, end, character, elements); the extension picks the format: "
     ".txt (Audacity), .srt, .vtt, .csv; with --batch only its extension counts (--labels .srt writes "
     "0001.srt beside 0001.wav), and a folder part is refused",
     "velmora-cli --labels sos.srt -o sos.wav SOS",
     StoreLabels},
    {"fold-kana", '\0', nullptr,
     "fold full-width katakana, hiragana, Latin letters and digits to the half-width forms that can be sounded, "
     "and small kana (ッ ャ ｯ ...) to the full-size kana Wabun sends for them",
     "velmora-cli --fold-kana -o iroha.wav 'いろは　ガッコウ'",
     SetFlag<&CliOptions::foldKana>},
    {"batch", '\0', nullptr,
     "one WAV for each non-empty line of the input into the folder --output names (made if missing), named by "
     "line number: 0001.wav, 0002.wav, ... (with more digits past 9999 lines, so that the names sort); a folder "
     "that already holds such numbered files is refused unless --overwrite is given",
     "velmora-cli --batch -i drills.txt -o drills/",
     SetFlag<&CliOptions::batch>},
    {"overwrite", '\0', nullptr,
     "with --batch: first remove the numbered files (.wav, and the labels' extension) already in the folder, "
     "so that it holds this run's files alone",
     "velmora-cli --batch --overwrite -i drills.txt -o drills/",
     SetFlag<&CliOptions::overwrite>},
    {"encoding", 'e', "NAME", "the message's encoding: utf-8 (default) or cp932 (bytes used as they are; on Windows, "
                              "MESSAGE words always come from the wide command line)",
     "velmora-cli -e cp932 -i sjis.txt -o sjis.wav",
     StoreEncoding},
    {"list-codes", '\0', nullptr, "the code table: every character that can be sounded, its elements and its units",
     "velmora-cli --list-codes",
     SetFlag<&CliOptions::listCodes>},
    {"dry-run", 'n', nullptr,
     "write nothing; report the cleaned message, its elements, unit count, sample count, duration and speed",
     "velmora-cli -n 'Hello, world'",
     SetFlag<&CliOptions::dryRun>},
    {"quiet", 'q', nullptr, "no outcome line, no warnings and no report of left-out characters",
     "velmora-cli -q -o sos.wav SOS",
     SetFlag<&CliOptions::quiet>},
    {"help", 'h', nullptr, "this text", "velmora-cli --help",
     SetFlag<&CliOptions::help>},
    {"version", 'V', nullptr, "the program's version", "velmora-cli -V",
     SetFlag<&CliOptions::version>},
};

const OptionRow* LongOption(const std::string& name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.longName) return &row;
    }
    return nullptr;
}

const OptionRow* ShortOption(char name) {
    for (const OptionRow& row : kOptions) {
        if (row.shortName != '\0' && name == row.shortName) return &row;
    }
    return nullptr;
}

// The checks that concern options together, once all are read.
std::string Combinations(const CliOptions& o) {
    if (o.help || o.version || o.listCodes) return {};
    if (o.wpm && o.dotGiven) return "give the speed either with --wpm or with --dot, not both";
    if (o.input && o.message) return "give the message either as words or with --input, not both";
    if (!o.input && !o.message) {
        return o.batch ? "--batch reads its lines with --input FILE ('-' for standard input)"
                       : "no message: give it as words after the options, or with --input FILE ('-' for standard input)";
    }
    if (!o.output && !o.dryRun) return "no output file: give --output PATH ('-' for standard output) or --dry-run";
    if (o.output && o.output->empty()) return "the output path is empty";
    if (o.input && o.input->empty()) return "the input path is empty";
    if (o.batch && (!o.output || *o.output == "-")) return "--batch writes its files into the folder --output names";
    if (o.overwrite && !o.batch) return "--overwrite goes with --batch (a single output file is always replaced)";
    if (o.batch && o.labels && o.labels->find_first_of("/\\") != std::string::npos) {
        return "with --batch, --labels gives only the extension of the label files, which go beside the WAVs: "
               "--labels .srt, not '" + *o.labels + "'";
    }
    if (o.labels && o.dryRun) return "--labels needs a file to be written, not --dry-run";
    return {};
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    CliOptions& o = parsed.options;
    std::vector<std::string> words;
    auto fail = [&parsed](std::string error) {
        if (parsed.error.empty()) parsed.error = std::move(error);
    };
    auto apply = [&](const OptionRow& row, const std::string& value) { fail(row.apply(o, value)); };

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& arg = arguments[k];
        if (arg == "--") {
            words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(k) + 1, arguments.end());
            break;
        }
        if (arg.rfind("--", 0) == 0) {
            const auto equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionRow* row = LongOption(name);
            if (row == nullptr) {
                fail("unknown option '" + arg + "'");
            } else if (row->valueName == nullptr) {
                if (equals != std::string::npos) fail("option --" + name + " takes no value");
                apply(*row, {});
            } else if (equals != std::string::npos) {
                apply(*row, arg.substr(equals + 1));
            } else if (k + 1 < arguments.size()) {
                apply(*row, arguments[++k]);
            } else {
                fail("option --" + name + " needs a value");
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            // Short options: flags bundled (-nq), a value attached (-oout.wav) or following (-o out.wav).
            for (std::size_t c = 1; c < arg.size(); ++c) {
                const OptionRow* row = ShortOption(arg[c]);
                if (row == nullptr) {
                    fail(std::string("unknown option '-") + arg[c] + "'");
                    break;
                }
                if (row->valueName == nullptr) {
                    apply(*row, {});
                    continue;
                }
                if (c + 1 < arg.size()) {
                    apply(*row, arg.substr(c + 1));
                } else if (k + 1 < arguments.size()) {
                    apply(*row, arguments[++k]);
                } else {
                    fail(std::string("option -") + arg[c] + " needs a value");
                }
                break;
            }
            continue;
        }
        words.push_back(arg);
    }

    if (!words.empty()) {
        std::string joined = words.front();
        for (std::size_t w = 1; w < words.size(); ++w) joined += " " + words[w];
        o.message = joined;
    }
    fail(Combinations(o));
    return parsed;
}

std::string UsageText() {
    std::string text =
        "Usage: velmora-cli [OPTIONS] [--] [MESSAGE]\n"
        "Turns MESSAGE into Morse code and writes it as a WAV file (8-bit mono, 8000 samples/s):\n"
        "international Morse for Latin letters and digits, Wabun for half-width katakana.\n"
        "Every other character is left out; the blank too, unless --word-gap keeps words apart.\n"
        "\n";
    for (const OptionRow& row : kOptions) {
        std::string names = row.shortName != '\0' ? std::string("  -") + row.shortName + ", " : std::string("      ");
        names += std::string("--") + row.longName;
        if (row.valueName != nullptr) names += std::string(" ") + row.valueName;
        text += names + "\n        " + row.help + "\n        e.g. " + row.example + "\n";
    }
    text +=
        "\n"
        "Field texts are read as the window reads them: the leading decimal digits, truncated\n"
        "(\"1.9\" is 1, \"\" and \"-5\" are 0).\n"
        "Exit status: 0 written (or would be, with --dry-run); 1 the file could not be created or\n"
        "written, or a report could not be written to standard output; 2 usage error, or the\n"
        "message cannot be read; 3 refused (nothing to sound, or the audio is too long); 4 out of\n"
        "memory; 128 + N ended by signal N (SIGINT, SIGTERM, SIGHUP) during a save, which leaves\n"
        "no temporary file and the old file as it was. With --batch, the worst of its lines:\n"
        "out of memory, then a failed file, then a refused line; 3 if no line has anything to\n"
        "sound, and 1 if the folder cannot be made or cleared.\n";
    return text;
}

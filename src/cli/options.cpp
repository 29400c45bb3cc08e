#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cli/encoded_audio.h"
#include "frontend/decimal_text.h"
#include "frontend/keying_choice.h"
#include "frontend/label_track.h"
#include "frontend/learner_speed.h"
#include "morse/timing.h"
#include "wav/sample_format.h"

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

std::string SetPunctuation(CliOptions& options, const std::string&) {
    options.codes = CodeSet::Punctuation;
    return {};
}

std::string StoreEncoding(CliOptions& options, const std::string& value) {
    const auto encoding = EncodingNamed(value);
    if (!encoding) return "unknown encoding '" + value + "' (use utf-8 or cp932)";
    options.encoding = *encoding;
    return {};
}

// A time in milliseconds, 0 or more.
std::string StoreTime(std::optional<double>& field, const char* option, const std::string& value) {
    field = DecimalFromText(value);
    if (field) return {};
    return std::string(option) + " needs a time in milliseconds, 0 or more, not '" + value + "'";
}

std::string StoreRise(CliOptions& options, const std::string& value) {
    return StoreTime(options.rise, "--rise", value);
}

std::string StorePad(CliOptions& options, const std::string& value) { return StoreTime(options.pad, "--pad", value); }

std::string StoreRate(CliOptions& options, const std::string& value) {
    for (const int32_t rate : kSampleRates) {
        if (value == std::to_string(rate)) options.rate = rate;
    }
    return options.rate ? std::string()
                        : "--rate takes 8000, 11025, 16000, 22050, 32000, 44100 or 48000 samples per second, not '" +
                              value + "'";
}

std::string StoreBits(CliOptions& options, const std::string& value) {
    if (value == "8" || value == "16") options.bits = static_cast<uint16_t>(value == "8" ? 8 : 16);
    return options.bits ? std::string() : "--bits takes 8 or 16, not '" + value + "'";
}

std::string StoreFormat(CliOptions& options, const std::string& value) {
    options.formatAsked = AudioFileFormatNamed(value);
    return options.formatAsked ? std::string() : "unknown format '" + value + "' (use wav, flac, ogg, opus or mp3)";
}

// A ratio from -30 dB (the noise far louder than the tone) to 100 dB (none to be heard).
std::string StoreNoise(CliOptions& options, const std::string& value) {
    options.noise = DecimalFromText(value, true);
    if (options.noise && *options.noise >= -30.0 && *options.noise <= 100.0) return {};
    options.noise.reset();
    return "--noise needs a signal-to-noise ratio in decibels from -30 to 100, not '" + value + "'";
}

std::string StoreSeed(CliOptions& options, const std::string& value) {
    errno = 0;
    const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long long seed = digits ? std::strtoull(value.c_str(), nullptr, 10) : 0;
    if (!digits || errno == ERANGE) {
        return "--seed needs a whole number from 0 to 18446744073709551615, not '" + value + "'";
    }
    options.seed = seed;
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
    {"output", 'o', "PATH",
     "the audio file, WAV unless --format or its extension says otherwise ('-' = standard output); with --batch, "
     "the folder for the files",
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
    {"rise", '\0', "MS",
     "shaped keying: each element rises and falls over MS milliseconds on a raised-cosine edge, so that it makes "
     "no clicks (0 keys hard; at most half a dot); implies --exact-pitch",
     "velmora-cli --rise 5 --wpm 20 -f 600 -o clean.wav CQ",
     StoreRise},
    {"exact-pitch", '\0', nullptr,
     "the tone at exactly the frequency asked for, not at a cycle of whole samples (-f 600 sounds as 600 Hz, "
     "not 615)",
     "velmora-cli --exact-pitch -f 600 -o exact.wav SOS",
     SetFlag<&CliOptions::exactPitch>},
    {"rate", '\0', "HZ",
     "samples per second: 8000 (default), 11025, 16000, 22050, 32000, 44100 or 48000; implies --exact-pitch",
     "velmora-cli --rate 44100 -o cd.wav SOS",
     StoreRate},
    {"bits", '\0', "8|16", "bits per sample: 8 (unsigned, default) or 16 (signed); implies --exact-pitch",
     "velmora-cli --rate 48000 --bits 16 -o studio.wav SOS",
     StoreBits},
    {"pad", '\0', "MS", "MS milliseconds of silence before the first element and after the last",
     "velmora-cli --pad 500 -o padded.wav SOS",
     StorePad},
    {"format", '\0', "NAME",
     "the file format: wav, flac, ogg (Vorbis), opus or mp3, all but WAV through libsndfile where the build has it; "
     "without it the extension of --output chooses, and any other name is WAV. FLAC and MP3 need a file, not "
     "standard output",
     "velmora-cli -o lesson.flac SOS",
     StoreFormat},
    {"noise", '\0', "SNR",
     "practice noise: white noise at SNR decibels, the tone's power against the noise within 500 Hz around it",
     "velmora-cli --noise 6 --rise 5 -f 600 -o qrm.wav CQ",
     StoreNoise},
    {"seed", '\0', "N", "the noise's seed: the same N makes the same noise (without it, a new seed every file)",
     "velmora-cli --noise 6 --seed 42 -o same.wav CQ",
     StoreSeed},
    {"fold-kana", '\0', nullptr,
     "fold full-width katakana, hiragana, Latin letters, digits and marks to the half-width forms that can be "
     "sounded, and small kana (ッ ャ ｯ ...) to the full-size kana Wabun sends for them",
     "velmora-cli --fold-kana -o iroha.wav 'いろは　ガッコウ'",
     SetFlag<&CliOptions::foldKana>},
    {"punctuation", '\0', nullptr,
     "sound the marks . , ? ' ! / ( ) & : ; = + - _ \" $ @ with their ITU codes (the parentheses too, instead of "
     "the Wabun brackets), and letters in angle brackets (<AR>, <SK>, <BT>, <KN>, <SOS>, any run) as one "
     "character, a prosign",
     "velmora-cli --punctuation --word-gap -o qso.wav 'RST 599, QTH TOKYO. <BT> 73 <SK>'",
     SetPunctuation},
    {"batch", '\0', nullptr,
     "one WAV for each non-empty line of the input into the folder --output names (made if missing), named by "
     "line number: 0001.wav, 0002.wav, ... (with more digits past 9999 lines, so that the names sort); a folder "
     "that already holds such numbered files is refused unless --overwrite is given",
     "velmora-cli --batch -i drills.txt -o drills/",
     SetFlag<&CliOptions::batch>},
    {"overwrite", '\0', nullptr,
     "with --batch: once the lines are done, remove the numbered files (.wav, and the labels' extension) of an "
     "earlier batch that this run did not write, so that the folder holds this run's files alone; the file of a "
     "line that fails to save stays as it was",
     "velmora-cli --batch --overwrite -i drills.txt -o drills/",
     SetFlag<&CliOptions::overwrite>},
    {"encoding", 'e', "NAME", "the message's encoding: utf-8 (default) or cp932 (bytes used as they are; on Windows, "
                              "MESSAGE words always come from the wide command line)",
     "velmora-cli -e cp932 -i sjis.txt -o sjis.wav",
     StoreEncoding},
    {"list-codes", '\0', nullptr, "the code table in force: every character that can be sounded, its elements and "
                                   "its units (with --punctuation, the marks and prosigns)",
     "velmora-cli --list-codes --punctuation",
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

// The output format, chosen by --format or by the output's extension, and what it needs.
std::string FormatChoice(CliOptions& o) {
    const bool toFile = !o.batch && o.output && *o.output != "-";
    const std::optional<AudioFileFormat> named = toFile ? AudioFileFormatOfPath(*o.output) : std::nullopt;
    if (o.formatAsked && named && *named != *o.formatAsked) {
        return std::string("--format asks for ") + AudioFileFormatTitle(*o.formatAsked) + ", but '" + *o.output +
               "' is named for " + AudioFileFormatTitle(*named);
    }
    o.format = o.formatAsked.value_or(named.value_or(AudioFileFormat::Wav));
    const std::string title = AudioFileFormatTitle(o.format);
    if (o.format == AudioFileFormat::Wav) return {};
    if (!EncodedAudioAvailable()) {
        return "this velmora-cli writes WAV only: it was built without libsndfile, which " + title + " needs";
    }
    if (!AudioFileFormatTakesRate(o.format, o.rate.value_or(kSamplesPerSecond))) {
        return title + " takes 8000, 16000 or 48000 samples per second of those --rate offers, not " +
               std::to_string(*o.rate);
    }
    if (AudioFileFormatNeedsSeeking(o.format) && o.output == "-") {
        return title + " goes back to finish its header, which standard output cannot: give a file, or use wav, "
                       "ogg or opus";
    }
    return {};
}

// The sound options that concern others.
std::string SoundCombinations(CliOptions& o) {
    if (o.help || o.version || o.listCodes) return {};
    if (o.seed && !o.noise) return "--seed is the seed of the noise, and needs --noise";
    return FormatChoice(o);
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

// Farnsworth timing slows the gaps, never the characters, and its gaps must fit a WAV file:
// what is wrong with an overall speed at the dot length, or "".
std::string FarnsworthProblem(double overallWpm, const std::string& dotText, int32_t rate) {
    const int32_t dot = FieldTextRead(dotText).value;
    char problem[160];  // two numbers of a dozen characters at most in each text
    switch (FarnsworthFitOf(dot, overallWpm, rate)) {
        case FarnsworthFit::Fits: return {};
        case FarnsworthFit::NoDot: return "--farnsworth needs a dot length above 0 ms";
        case FarnsworthFit::NotBelowCharacterSpeed:
            (void)std::snprintf(problem, sizeof problem, "--farnsworth %g must be below the character speed, %g WPM",
                                overallWpm, WordsPerMinute(dot));
            return problem;
        case FarnsworthFit::WordGapBeyondFile: break;
    }
    (void)std::snprintf(problem, sizeof problem,
                        "--farnsworth %g stretches a word gap to %.4g s, longer than a WAV file holds (%.0f s)",
                        overallWpm, FarnsworthWordGap(dot, overallWpm, rate) / rate, double{INT32_MAX} / rate);
    return problem;
}

// Reads the arguments one at a time into the options; the first problem found is the one told.
struct OptionParser {
    ParsedOptions parsed;
    std::vector<std::string> words;

    void Fail(std::string error) {
        if (parsed.error.empty()) parsed.error = std::move(error);
    }
    void Apply(const OptionRow& row, const std::string& value) { Fail(row.apply(parsed.options, value)); }

    // "--name", "--name=value" or "--name value"; true when it took `next` as its value.
    bool Long(const std::string& arg, const std::string* next) {
        const auto equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const OptionRow* row = LongOption(name);
        if (row == nullptr) {
            Fail("unknown option '" + arg + "'");
        } else if (row->valueName == nullptr) {
            if (equals != std::string::npos) Fail("option --" + name + " takes no value");
            Apply(*row, {});
        } else if (equals != std::string::npos) {
            Apply(*row, arg.substr(equals + 1));
        } else if (next != nullptr) {
            Apply(*row, *next);
            return true;
        } else {
            Fail("option --" + name + " needs a value");
        }
        return false;
    }

    // Flags bundled (-nq), a value attached (-oout.wav) or following (-o out.wav); true when it
    // took `next` as its value.
    bool Short(const std::string& arg, const std::string* next) {
        for (std::size_t c = 1; c < arg.size(); ++c) {
            const OptionRow* row = ShortOption(arg[c]);
            if (row == nullptr) {
                Fail(std::string("unknown option '-") + arg[c] + "'");
                return false;
            }
            if (row->valueName == nullptr) {
                Apply(*row, {});
                continue;
            }
            if (c + 1 < arg.size()) {
                Apply(*row, arg.substr(c + 1));
            } else if (next != nullptr) {
                Apply(*row, *next);
                return true;
            } else {
                Fail(std::string("option -") + arg[c] + " needs a value");
            }
            return false;
        }
        return false;
    }
};

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    OptionParser parser;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& arg = arguments[k];
        if (arg == "--") {
            parser.words.insert(parser.words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                                arguments.end());
            break;
        }
        const bool hasNext = k + 1 < arguments.size();
        const std::string next = hasNext ? arguments[k + 1] : std::string();
        bool tookNext = false;
        if (arg.rfind("--", 0) == 0) {
            tookNext = parser.Long(arg, hasNext ? &next : nullptr);
        } else if (arg.size() > 1 && arg[0] == '-') {
            tookNext = parser.Short(arg, hasNext ? &next : nullptr);
        } else {
            parser.words.push_back(arg);
        }
        if (tookNext) ++k;
    }
    CliOptions& o = parser.parsed.options;
    if (!parser.words.empty()) {
        std::string joined = parser.words.front();
        for (std::size_t w = 1; w < parser.words.size(); ++w) joined += " " + parser.words[w];
        o.message = joined;
    }
    parser.Fail(Combinations(o));
    parser.Fail(SoundCombinations(o));
    if (o.farnsworth && !o.help && !o.version && !o.listCodes) {
        parser.Fail(FarnsworthProblem(*o.farnsworth, DotText(o), o.rate.value_or(kSamplesPerSecond)));
    }
    return std::move(parser.parsed);
}

std::string DotText(const CliOptions& options) {
    return options.wpm ? std::to_string(DotMillisecondsForWpm(*options.wpm)) : options.dot;
}

// --rise, --rate and --bits imply the exact pitch, even at the window's values.
Keying KeyingOf(const CliOptions& options) {
    return KeyingAsked(options.exactPitch, options.rise, options.rate || options.bits);
}

SoundFormat SoundFormatOf(const CliOptions& options) {
    return {options.rate.value_or(kSamplesPerSecond), options.bits.value_or(kBitsPerSample)};
}

RunStyle RunStyleOf(const CliOptions& options) {
    RunStyle style;
    style.words = options.wordGap ? WordBreaks::Kept : WordBreaks::Dropped;
    if (options.farnsworth) style.overallWpm = *options.farnsworth;
    return style;
}

std::string UsageText() {
    std::string text =
        "Usage: velmora-cli [OPTIONS] [--] [MESSAGE]\n"
        "Turns MESSAGE into Morse code and writes it as a WAV file (8-bit mono, 8000 samples/s,\n"
        "byte for byte the window's, unless the options below ask for another sound or format):\n"
        "international Morse for Latin letters and digits, Wabun for half-width katakana and ( ).\n"
        "Every other character is left out: punctuation too, unless --punctuation sounds it, and the\n"
        "blank, unless --word-gap keeps words apart. A double-byte character whose second byte has a\n"
        "code sounds that byte, with a warning.\n"
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
        "Exit status: 0 written (or would be, with --dry-run); 1 a file could not be created or\n"
        "written, or a report could not be written to standard output; 2 usage error, or the\n"
        "message cannot be read; 3 refused (nothing to sound, or the audio is too long); 4 out of\n"
        "memory; 128 + N ended by signal N (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXCPU,\n"
        "SIGALRM, SIGUSR1, SIGUSR2).\n"
        "On any status but 0 the WAV file and the labels are as they were and no temporary file\n"
        "is left, except where a message names a file that is new (labels that failed after the\n"
        "WAV file was in place; a signal after a file was put in place) or one that holds part of\n"
        "the new file (a rewrite in place, whose disk failed: for a file with other hard links or\n"
        "extended attributes, or in a folder that takes no new files).\n"
        "A signal never cuts the putting in place of a file short. With --batch, the worst of its\n"
        "lines: out of memory, then a failed file, then a refused line; 3 if no line has anything\n"
        "to sound, and 1 if the folder cannot be made or cleared.\n";
    return text;
}

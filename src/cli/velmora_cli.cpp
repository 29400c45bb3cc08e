#include "cli/velmora_cli.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>

#include "cli/code_listing.h"
#include "cli/code_page.h"
#include "cli/console.h"
#include "cli/dry_run.h"
#include "cli/field_warnings.h"
#include "cli/job_files.h"
#include "cli/kana_fold.h"
#include "cli/label_track.h"
#include "cli/message_text.h"
#include "cli/options.h"
#include "cli/stand_in_form.h"
#include "morse/code_table.h"
#include "morse/create_command.h"
#include "morse/parameters.h"
#include "platform/file_output.h"
#include "runtime/fatal.h"
#include "runtime/program_texts.h"
#include "runtime/string_registry.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

// The runtime's out-of-memory report, turned into an exception that unwinds the run (releasing
// its text values) to CliMain, which ends it with an exit status instead of an abort.
struct RuntimeOutOfMemoryError : std::bad_alloc {};

void ThrowOutOfMemory(const char*) { throw RuntimeOutOfMemoryError(); }

// The text runtime for the program's life, released however it ends.
class RuntimeSession {
  public:
    RuntimeSession() {
        RuntimeInit();
        RuntimeReserve();
        RuntimeSetFatalReporter(ThrowOutOfMemory);
    }
    ~RuntimeSession() {
        RuntimeSetFatalReporter(nullptr);
        RuntimeExit();
    }
    RuntimeSession(const RuntimeSession&) = delete;
    RuntimeSession& operator=(const RuntimeSession&) = delete;
};

void Say(const std::string& line) { ConsoleWrite(true, line); }

// The problem may quote what the user typed, which is echoed safely.
int UsageError(const std::string& problem) {
    Say("velmora-cli: " + SafeToShow(problem) + "\nTry 'velmora-cli --help' for more information.\n");
    return kExitUsage;
}

// A report on standard output that cannot be written is a failure, not a success without output.
int Report(const std::string& text, int exitCode) {
    int error = 0;
    if (ConsoleWrite(false, text, &error)) return exitCode;
    Say("velmora-cli: cannot write to standard output: " + SystemErrorText(error) + "\n");
    return kExitFileFailed;
}

// The input named by --input, or none (with the usage error shown) if it cannot be read.
std::optional<std::string> ReadInput(const CliOptions& options, int& exitCode) {
    const bool standardInput = *options.input == "-";
    if (standardInput && StandardInputIsTerminal() && !options.quiet) {
#ifdef _WIN32
        Say("velmora-cli: reading the message from the console; end it with Ctrl+Z and Enter\n");
#else
        Say("velmora-cli: reading the message from the terminal; end it with Ctrl+D\n");
#endif
    }
    InputRead read = standardInput ? ReadStandardInput() : ReadInputFile(*options.input);
    if (!read.bytes) {
        const std::string source = standardInput ? "standard input" : "'" + *options.input + "'";
        const std::string why = read.isFolder ? "it is a folder" : SystemErrorText(read.systemError);
        exitCode = UsageError("cannot read the message from " + source + ": " + why);
    }
    return std::move(read.bytes);
}

// A message usually ends its one line with a line break, which is not part of it.
void DropFinalLineBreak(std::string& bytes) {
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    }
}

int ExitFor(CreateOutcome outcome) {
    switch (outcome) {
        case CreateOutcome::Written: return kExitWritten;
        case CreateOutcome::Cancelled:
        case CreateOutcome::OpenFailed:
        case CreateOutcome::WriteFailed: return kExitFileFailed;
        case CreateOutcome::OutOfMemory: return kExitOutOfMemory;
        case CreateOutcome::NothingToSound:
        case CreateOutcome::TooLong: break;
    }
    return kExitRefused;
}

// How bad an exit status is, for the worst of a batch: out of memory, a failed file, a refusal.
int Severity(int exitCode) {
    switch (exitCode) {
        case kExitWritten: return 0;
        case kExitRefused: return 1;
        case kExitFileFailed: return 2;
        default: return 3;
    }
}

// One run of the Create command: its message, where its file goes and what is said about it.
struct Job {
    std::string message;                // in the encoding the options give
    std::string output;                 // UTF-8; "-" is standard output; empty for a dry run
    std::optional<std::string> labels;  // UTF-8
    std::string prefix = "velmora-cli: ";  // "velmora-cli: line 3: " in a batch
    std::string outcomePrefix;             // before the outcome line: "velmora-cli: line 3: " in a batch
};

// The message ready for the form, and how to find each of its characters as the user typed it.
struct PreparedMessage {
    MessageText text;
    std::string input;   // with labels and without --fold-kana: what the conversion read
    bool inputIsCp932 = false;
    std::string typed;   // with --fold-kana: the message as typed, in UTF-8
    FoldedText folded;   // with --fold-kana: what it folded to
    bool foldedKana = false;

    // Character `k` of the converted text, read from `size` bytes at `offset` of the conversion's
    // input, as the user typed it.
    std::string Typed(std::size_t k, std::size_t offset, std::size_t size) const {
        if (foldedKana) return std::string(TypedCharacter(typed, folded, k));
        const std::string_view read = std::string_view(input).substr(offset, size);
        return inputIsCp932 ? Utf8FromCp932(read) : std::string(read);
    }
};

// Converts the message to code page 932, folding it first if asked. Positions in the report of
// left-out characters count the characters as typed.
PreparedMessage PrepareMessage(const CliOptions& options, std::string message, bool mapCharacters) {
    PreparedMessage prepared;
    const MessageTextOptions conversion{mapCharacters, options.wordGap};
    if (!options.foldKana) {
        prepared.text = MessageTextFrom(message, options.encoding, conversion);
        if (mapCharacters) {
            prepared.input = std::move(message);
            prepared.inputIsCp932 = options.encoding == MessageEncoding::Cp932;
        }
        return prepared;
    }
    prepared.foldedKana = true;
    prepared.typed = options.encoding == MessageEncoding::Cp932 ? Utf8FromCp932(message) : std::move(message);
    prepared.folded = FoldKana(prepared.typed);
    prepared.text = MessageTextFrom(prepared.folded.utf8, MessageEncoding::Utf8, conversion);
    for (LeftOutCharacter& c : prepared.text.leftOut) {
        for (std::size_t& position : c.firstPositions) position = prepared.folded.origin[position - 1] + 1;
    }
    if (!mapCharacters) prepared = PreparedMessage{std::move(prepared.text), {}, false, {}, {}, false};
    return prepared;
}

// The label track's rows: one per sounded character, with the character as the user gave it.
// The k-th span belongs to the k-th byte of the message that has a code.
LabelRows LabelRowsOf(const PreparedMessage& message, const std::vector<CharacterSpan>& spans) {
    return [&message, &spans](LabelTrackWriter& writer) {
        const MessageText& text = message.text;
        std::size_t next = 0;
        std::size_t at = 0;
        std::size_t inputAt = 0;
        for (std::size_t k = 0; k < text.characterSizes.size(); ++k) {
            const CharacterSize size = text.characterSizes[k];
            for (const std::size_t end = at + size.cp932; at < end; ++at) {
                const CodeEntry* entry = CodeLookup(static_cast<unsigned char>(text.cp932[at]));
                if (entry == nullptr || next == spans.size()) continue;
                const std::string typed = message.Typed(k, inputAt, size.input);
                if (!writer.Add({spans[next].start, spans[next].end, typed, entry->sequence})) return false;
                ++next;
            }
            inputAt += size.input;
        }
        return true;
    };
}

// Where the files go; false (with the usage error shown) if they cannot go there. Checked before
// anything is written.
bool ChooseDestination(const Job& job, JobFilePaths& paths, int& exitCode) {
    paths.prefix = job.prefix;
    if (job.output != "-") {  // standard output is not a terminal: Run refused that before reading the message
        const auto path = PlatformPathFromUtf8(job.output);
        if (!path) {
            exitCode = UsageError("the output path '" + job.output + "' cannot be written on this system");
            return false;
        }
        paths.wav = *path;
        paths.wavShown = job.output;
    }
    if (!job.labels) return true;
    const auto labels = PlatformPathFromUtf8(*job.labels);
    if (!labels) {
        exitCode = UsageError("the labels path '" + *job.labels + "' cannot be written on this system");
        return false;
    }
    if (!paths.wav.empty() && FileTargetsMatch(paths.wav.c_str(), labels->c_str())) {
        exitCode = UsageError("--labels '" + *job.labels + "' names the output file itself");
        return false;
    }
    paths.labels = *labels;
    paths.labelsShown = *job.labels;
    paths.labelsFormat = *LabelFormatOf(*job.labels);
    return true;
}

// The Create command's save goes to the job's files; a failure of the labels is said after its
// outcome line, and is a failed file.
int CreateFiles(StandInForm& form, const RunStyle& style, const JobFilePaths& paths, const PreparedMessage& message) {
    std::vector<CharacterSpan> spans;
    std::string labelsProblem;
    form.AnswerSaveDialog([&](std::span<const uint8_t> bytes) {
        JobFilesSaved saved = JobFilesSave(paths, bytes, LabelRowsOf(message, spans));
        labelsProblem = std::move(saved.labelsProblem);
        return saved.wav;
    });
    JobFilesNoticeBefore(paths);
    const int exitCode = ExitFor(CreateCommand(form, style, paths.labels.empty() ? nullptr : &spans));
    if (labelsProblem.empty()) return exitCode;
    Say(labelsProblem);
    return exitCode == kExitWritten ? kExitFileFailed : exitCode;
}

int RunJob(const CliOptions& options, const RunStyle& style, const std::string& dotText, Job job) {
    int exitCode = kExitWritten;
    JobFilePaths paths;
    if (!job.output.empty() && !ChooseDestination(job, paths, exitCode)) return exitCode;
    const bool mapCharacters = job.labels.has_value();
    // From here on the message is held once, as code page 932 (and as typed, for the labels).
    PreparedMessage message = PrepareMessage(options, std::move(job.message), mapCharacters);
    MessageText& text = message.text;
    StandInForm form;
    if (!options.quiet) {
        Say(LeftOutReport(text.leftOut, kLeftOutLinesShown, job.prefix));
        form.OnMessage([&job](const StandInForm::Message& shown) {
            std::string line = job.outcomePrefix + Utf8FromCp932(shown.caption) + ": " + Utf8FromCp932(shown.text);
            if (!shown.cause.empty()) line += " (" + SafeToShow(shown.cause) + ")";
            Say(line + "\n");
        });
    }
    form.SetField(kMessageFieldId, mapCharacters ? text.cp932 : std::move(text.cp932));
    form.SetField(kDotFieldId, dotText);
    form.SetField(kFrequencyFieldId, options.frequency);
    form.SetField(kVolumeFieldId, options.volume);

    if (options.dryRun) {
        CreateInputs inputs;
        CreateReadInputs(form, inputs, style);
        const auto refused = CreateRefusal(inputs);
        if (refused) CreateShowRefusal(form, *refused);
        return Report(DryRunReport(inputs, style, refused), refused ? ExitFor(*refused) : kExitWritten);
    }
    return CreateFiles(form, style, paths, message);
}

// One WAV per non-empty line, named after its line number; a refused line does not stop the rest.
int RunBatch(const CliOptions& options, const RunStyle& style, const std::string& dotText, const std::string& input) {
    const std::filesystem::path folder(std::u8string(options.output->begin(), options.output->end()));
    std::error_code error;
    if (!options.dryRun) std::filesystem::create_directory(folder, error);
    if (!options.dryRun && !std::filesystem::is_directory(folder)) {
        return UsageError("--batch writes into a folder, and '" + *options.output + "' is none (" + error.message() + ")");
    }
    const std::string extension = options.labels ? options.labels->substr(options.labels->find_last_of('.')) : "";
    int worst = kExitWritten;
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at <= input.size();) {
        std::size_t end = input.find('\n', at);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        char stem[32];
        (void)std::snprintf(stem, sizeof stem, "%04zu", lineNumber);
        const auto named = [&folder, &stem](const std::string& suffix) {
            const std::u8string path = (folder / (std::string(stem) + suffix)).u8string();
            return std::string(path.begin(), path.end());
        };
        const std::string prefix = "velmora-cli: line " + std::to_string(lineNumber) + ": ";
        Job job{std::move(line), options.dryRun ? "" : named(".wav"), std::nullopt, prefix, prefix};
        if (options.labels) job.labels = named(extension);
        const int status = RunJob(options, style, dotText, std::move(job));
        if (Severity(status) > Severity(worst)) worst = status;
    }
    return worst;
}

int Run(const std::vector<std::string>& arguments) {
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) return Report(UsageText(), kExitWritten);
    if (options.version) return Report("velmora-cli " VELMORA_VERSION "\n", kExitWritten);
    if (options.listCodes) return Report(CodeListing(), kExitWritten);

    // --wpm stands for the dot length it gives, typed into the field as a whole number.
    const std::string dotText = options.wpm ? std::to_string(DotMillisecondsForWpm(*options.wpm)) : options.dot;
    RunStyle style;
    style.words = options.wordGap ? WordBreaks::Kept : WordBreaks::Dropped;
    if (options.farnsworth) {
        const int32_t dot = FieldNumberFromText(dotText);
        if (dot <= 0) return UsageError("--farnsworth needs a dot length above 0 ms");
        if (*options.farnsworth >= WordsPerMinute(dot)) {
            char speeds[96];
            (void)std::snprintf(speeds, sizeof speeds, "--farnsworth %g must be below the character speed, %g WPM",
                          *options.farnsworth, WordsPerMinute(dot));
            return UsageError(speeds);
        }
        style.overallWpm = *options.farnsworth;
    }

    int exitCode = kExitWritten;
    if (!options.dryRun && options.output == "-" && StandardOutputIsTerminal()) {
        return UsageError("will not write audio to a terminal; redirect standard output or give a file");
    }
    std::string message;
    if (options.input) {
        std::optional<std::string> read = ReadInput(options, exitCode);
        if (!read) return exitCode;
        message = std::move(*read);
    } else {
        message = *options.message;
    }
    if (!options.quiet) {
        for (const std::string& warning : FieldWarnings(options, dotText)) Say(warning);
    }
    if (!options.dryRun) ConsoleEndOnInterrupt();

    const RuntimeSession runtime;
    if (options.batch) return RunBatch(options, style, dotText, message);
    DropFinalLineBreak(message);
    return RunJob(options, style, dotText, {std::move(message), options.dryRun ? "" : *options.output, options.labels, "velmora-cli: ", ""});
}

}  // namespace

int CliMain(const std::vector<std::string>& arguments) {
    try {
        return Run(arguments);
    } catch (const std::bad_alloc&) {
        // Nothing here may need the heap.
        ConsoleWrite(true, "velmora-cli: ");
        ConsoleWrite(true, kOutOfMemoryText.utf8);
        ConsoleWrite(true, " (out of memory)\n");
        return kExitOutOfMemory;
    }
}

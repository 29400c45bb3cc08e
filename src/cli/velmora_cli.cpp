#include "cli/velmora_cli.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>

#include "cli/batch.h"
#include "cli/code_listing.h"
#include "frontend/code_page.h"
#include "cli/console.h"
#include "cli/dry_run.h"
#include "frontend/field_warnings.h"
#include "frontend/label_track.h"
#include "frontend/learner_speed.h"
#include "frontend/typed_message.h"
#include "frontend/message_text.h"
#include "frontend/runtime_session.h"
#include "cli/options.h"
#include "morse/code_table.h"
#include "morse/synthesis.h"
#include "morse/parameters.h"
#include "platform/file_output.h"
#include "runtime/program_texts.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

void Say(const std::string& line) { ConsoleWrite(true, line); }

std::string OptionSpelling(NumberField field) {
    switch (field) {
        case NumberField::Dot: return "--dot";
        case NumberField::Frequency: return "--freq";
        case NumberField::Volume: return "--volume";
        case NumberField::Wpm: break;
    }
    return "--wpm";
}

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

// The input named by --input, or none (with the usage error shown) if it cannot be read. A UTF-8
// byte order mark at its very start marks the encoding and is no character of the message.
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
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (read.bytes && options.encoding == MessageEncoding::Utf8 && read.bytes->starts_with(kByteOrderMark)) {
        read.bytes->erase(0, kByteOrderMark.size());
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

// Writes the label file of a run: one row per sounded character, as the user typed it.
int WriteLabels(const Job& job, const TypedMessage& message, const std::vector<CharacterSpan>& spans) {
    const std::string track = LabelTrack(CharacterLabels(message, spans), *LabelFormatOf(*job.labels));
    const auto path = PlatformPathFromUtf8(*job.labels);
    if (!path) {
        Say(job.prefix + "the labels path '" + SafeToShow(*job.labels) + "' cannot be written on this system\n");
        return kExitFileFailed;
    }
    const FileResult written = FileWriteWhole(path->c_str(), {reinterpret_cast<const uint8_t*>(track.data()), track.size()});
    if (written.outcome == FileOutcome::Written) return kExitWritten;
    Say(job.prefix + "cannot write the labels to " + SafeToShow(*job.labels) + ": " + SystemErrorText(written.systemError) +
        "\n");
    return kExitFileFailed;
}

// The window's words for how a run ended, as one line; `cause` says why in the system's words.
void SayOutcome(const Job& job, const ProgramText& caption, const ProgramText& text, const std::string& cause = {}) {
    std::string line = job.outcomePrefix + caption.utf8 + ": " + text.utf8;
    if (!cause.empty()) line += " (" + SafeToShow(cause) + ")";
    Say(line + "\n");
}

const ProgramText& RefusalText(SynthesisOutcome why) {
    switch (why) {
        case SynthesisOutcome::NothingToSound: return kNothingToSoundText;
        case SynthesisOutcome::OutOfMemory: return kOutOfMemoryText;
        case SynthesisOutcome::TooLong:
        case SynthesisOutcome::Written: break;
    }
    return kTooLongText;
}

int ExitFor(SynthesisOutcome outcome) {
    switch (outcome) {
        case SynthesisOutcome::Written: return kExitWritten;
        case SynthesisOutcome::OutOfMemory: return kExitOutOfMemory;
        case SynthesisOutcome::NothingToSound:
        case SynthesisOutcome::TooLong: break;
    }
    return kExitRefused;
}

// Writes the finished file where the job says and reports it as the window would.
int SaveAudio(const CliOptions& options, const Job& job, const Synthesis& audio) {
    const bool standardOutput = job.output == "-";  // not a terminal: Run refused that already
    FileResult written;
    if (standardOutput) {
        written = StandardOutputWriteWhole(audio.Bytes());
    } else {
        const auto path = PlatformPathFromUtf8(job.output);
        if (!path) return UsageError("the output path '" + job.output + "' cannot be written on this system");
        written = FileWriteWhole(path->c_str(), audio.Bytes());
    }
    const std::string target = standardOutput ? "standard output" : job.output;
    const std::string cause = written.systemError != 0 ? target + ": " + SystemErrorText(written.systemError) : "";
    switch (written.outcome) {
        case FileOutcome::Written:
            if (!options.quiet) SayOutcome(job, kDoneCaption, kWrittenText);
            return kExitWritten;
        case FileOutcome::OpenFailed:
            if (!options.quiet) SayOutcome(job, kSorryCaption, kOpenFailedText, cause);
            return kExitFileFailed;
        case FileOutcome::WriteFailed: break;
    }
    if (!options.quiet) SayOutcome(job, kSorryCaption, kWriteFailedText, cause);
    return kExitFileFailed;
}

int RunJob(const CliOptions& options, const RunStyle& style, const std::string& dotText, Job job) {
    if (!job.output.empty() && job.output != "-" && !PlatformPathFromUtf8(job.output)) {
        return UsageError("the output path '" + job.output + "' cannot be written on this system");
    }
    const bool mapCharacters = job.labels.has_value();
    // From here on the message is held once, as code page 932 (and as typed, for the labels).
    const TypedMessage message = TypedMessageFrom(
        std::move(job.message), {options.encoding, options.foldKana, options.wordGap, mapCharacters});
    const MessageText& text = message.text;
    if (!options.quiet) Say(LeftOutReport(text.leftOut, kLeftOutLinesShown, job.prefix));

    SynthesisRequest request;
    request.message = text.cp932;
    request.dotLength = FieldTextRead(dotText).value;
    request.frequency = FieldTextRead(options.frequency).value;
    request.volume = FieldTextRead(options.volume).value;
    request.style = style;
    request.wantSpans = mapCharacters;
    if (options.dryRun) {
        const SynthesisPlan plan = SynthesisPlanMake(request);
        if (plan.refusal && !options.quiet) SayOutcome(job, kSorryCaption, RefusalText(*plan.refusal));
        return Report(DryRunReport(request, plan), plan.refusal ? ExitFor(*plan.refusal) : kExitWritten);
    }
    const Synthesis audio = Synthesize(request);
    if (audio.outcome != SynthesisOutcome::Written) {
        if (!options.quiet) SayOutcome(job, kSorryCaption, RefusalText(audio.outcome));
        return ExitFor(audio.outcome);
    }
    int exitCode = SaveAudio(options, job, audio);
    if (exitCode == kExitWritten && mapCharacters) exitCode = WriteLabels(job, message, audio.spans);
    return exitCode;
}

// Up to a dozen names, then how many more.
std::string NameList(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 12;
    std::string list;
    for (std::size_t k = 0; k < names.size() && k < kShown; ++k) list += (k > 0 ? ", " : "") + SafeToShow(names[k]);
    if (names.size() > kShown) list += " and " + std::to_string(names.size() - kShown) + " more";
    return list;
}

// Makes the batch's folder, and clears it of an earlier batch's files when --overwrite is given,
// so that it holds this run's files alone: kExitWritten when the lines may be written.
int PrepareBatchFolder(const CliOptions& options, const std::filesystem::path& folder, const BatchNames& names) {
    const std::string shown = "'" + SafeToShow(*options.output) + "'";
    if (const std::error_code made = BatchFolderMake(folder)) {
        Say("velmora-cli: cannot make the folder " + shown + ": " + made.message() + "\n");
        return kExitFileFailed;
    }
    std::error_code error;
    const std::vector<std::string> earlier = BatchFilesIn(folder, names, error);
    if (error) {
        Say("velmora-cli: cannot read the folder " + shown + ": " + error.message() + "\n");
        return kExitFileFailed;
    }
    if (earlier.empty()) return kExitWritten;
    if (!options.overwrite) {
        return UsageError("the folder " + shown + " holds files of an earlier batch: " + NameList(earlier) +
                          "; give --overwrite to remove them, or another folder");
    }
    for (const std::string& name : earlier) {
        if (const std::string why = BatchFileRemove(folder / PathFromUtf8(name)); !why.empty()) {
            Say("velmora-cli: cannot remove " + SafeToShow(name) + " of an earlier batch from " + shown + ": " + why +
                "\n");
            return kExitFileFailed;
        }
    }
    if (!options.quiet) {
        const std::string files = earlier.size() == 1 ? "1 file" : std::to_string(earlier.size()) + " files";
        Say("velmora-cli: removed " + files + " of an earlier batch from " + shown + "\n");
    }
    return kExitWritten;
}

// One WAV per non-empty line, named after its line number; a refused line does not stop the rest.
int RunBatch(const CliOptions& options, const RunStyle& style, const std::string& dotText, const std::string& input) {
    const std::size_t lastLine = BatchLastLineNumber(input);
    if (lastLine == 0) {
        if (!options.quiet) Say("velmora-cli: the input has no line to sound (it is empty or blank); nothing written\n");
        return kExitRefused;
    }
    const std::string extension = options.labels ? options.labels->substr(options.labels->find_last_of('.')) : "";
    const BatchNames names(lastLine, extension);
    const std::filesystem::path folder = PathFromUtf8(*options.output);
    if (!options.dryRun) {
        if (const int status = PrepareBatchFolder(options, folder, names); status != kExitWritten) return status;
    }
    int worst = kExitWritten;
    BatchLineReader reader(input);
    for (BatchLine line; reader.Next(line);) {
        const auto named = [&](std::string_view suffix) { return Utf8Path(folder / names.Named(line.number, suffix)); };
        const std::string prefix = "velmora-cli: line " + std::to_string(line.number) + ": ";
        Job job{std::string(line.text), options.dryRun ? "" : named(".wav"), std::nullopt, prefix, prefix};
        if (options.labels) job.labels = named(extension);
        const int status = RunJob(options, style, dotText, std::move(job));
        if (Severity(status) > Severity(worst)) worst = status;
    }
    return worst;
}

// Farnsworth timing slows the gaps, never the characters, and its gaps must fit a WAV file:
// what is wrong with an overall speed at the dot length, or "".
std::string FarnsworthProblem(double overallWpm, const std::string& dotText) {
    const int32_t dot = FieldTextRead(dotText).value;
    char problem[160];  // two numbers of a dozen characters at most in each text
    switch (FarnsworthFitOf(dot, overallWpm)) {
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
                        overallWpm, FarnsworthWordGap(dot, overallWpm) / kSamplesPerSecond,
                        double{INT32_MAX} / kSamplesPerSecond);
    return problem;
}

int Run(const std::vector<std::string>& arguments) {
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) return Report(UsageText(), kExitWritten);
    if (options.version) return Report("velmora-cli " VELMORA_VERSION "\n", kExitWritten);
    if (options.listCodes) return Report(CodeListing(), kExitWritten);

    const RuntimeSession runtime;
    // --wpm stands for the dot length it gives, typed into the field as a whole number.
    const std::string dotText = options.wpm ? std::to_string(DotMillisecondsForWpm(*options.wpm)) : options.dot;
    RunStyle style;
    style.words = options.wordGap ? WordBreaks::Kept : WordBreaks::Dropped;
    if (options.farnsworth) {
        if (const std::string problem = FarnsworthProblem(*options.farnsworth, dotText); !problem.empty()) {
            return UsageError(problem);
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
        for (const FieldWarning& warning : FieldWarnings(dotText, options.frequency, options.volume, options.wpm)) {
            const std::string typed = SafeToShow(warning.typed);
            const std::string value = warning.field == NumberField::Wpm ? typed : "'" + typed + "'";
            Say("velmora-cli: warning: " + OptionSpelling(warning.field) + " " + value + " " + warning.said + "\n");
        }
    }
    if (!options.dryRun) ConsoleEndOnInterrupt();

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

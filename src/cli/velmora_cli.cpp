#include "cli/velmora_cli.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <random>

#include "cli/code_listing.h"
#include "frontend/code_page.h"
#include "cli/console.h"
#include "cli/dry_run.h"
#include "cli/encoded_audio.h"
#include "frontend/field_warnings.h"
#include "frontend/label_track.h"
#include "frontend/typed_message.h"
#include "frontend/message_text.h"
#include "cli/options.h"
#include "morse/code_table.h"
#include "morse/synthesis.h"
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

std::string OptionSpelling(NumberField field) {
    switch (field) {
        case NumberField::Dot: return "--dot";
        case NumberField::Frequency: return "--freq";
        case NumberField::Volume: break;
    }
    return "--volume";
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
int WriteLabels(const Job& job, const TypedMessage& message, const std::vector<CharacterSpan>& spans, int32_t rate) {
    const std::string track = LabelTrack(CharacterLabels(message, spans), *LabelFormatOf(*job.labels), rate);
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
void SayOutcome(const Job& job, const ProgramText& caption, std::string_view text, const std::string& cause = {}) {
    std::string line = job.outcomePrefix + caption.utf8 + ": " + std::string(text);
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

// Reports how writing the file went, as the window would; `cause` says why it failed.
// A file of another format than WAV is named in the window's words with its own name.
int ReportSaved(const CliOptions& options, const Job& job, const FileResult& written, const std::string& cause) {
    const std::string_view wav = "wav";
    std::string done = kWrittenText.utf8;
    if (options.format != AudioFileFormat::Wav) done = AudioFileFormatTitle(options.format) + done.substr(wav.size());
    switch (written.outcome) {
        case FileOutcome::Written:
            if (!options.quiet) SayOutcome(job, kDoneCaption, done);
            return kExitWritten;
        case FileOutcome::OpenFailed:
            if (!options.quiet) SayOutcome(job, kSorryCaption, kOpenFailedText.utf8, cause);
            return kExitFileFailed;
        case FileOutcome::WriteFailed: break;
    }
    if (!options.quiet) SayOutcome(job, kSorryCaption, kWriteFailedText.utf8, cause);
    return kExitFileFailed;
}

std::string FileCause(const Job& job, const FileResult& written) {
    const std::string target = job.output == "-" ? "standard output" : job.output;
    return written.systemError != 0 ? target + ": " + SystemErrorText(written.systemError) : "";
}

// The WAV file: the whole image from Velmora's own writer, written where the job says.
int SaveWav(const CliOptions& options, const Job& job, const Synthesis& audio) {
    FileResult written;
    if (job.output == "-") {  // not a terminal: Run refused that already
        written = StandardOutputWriteWhole(audio.Bytes());
    } else {
        const auto path = PlatformPathFromUtf8(job.output);
        if (!path) return UsageError("the output path '" + job.output + "' cannot be written on this system");
        written = FileWriteWhole(path->c_str(), audio.Bytes());
    }
    return ReportSaved(options, job, written, FileCause(job, written));
}

// Any other format: encoded block by block as the samples are made, never held whole.
int SaveEncoded(const CliOptions& options, const Job& job, const SynthesisRequest& request, const SynthesisPlan& plan,
                std::vector<CharacterSpan>* spans) {
    const auto path = job.output == "-" ? std::optional<std::string>() : PlatformPathFromUtf8(job.output);
    if (job.output != "-" && !path) {
        return UsageError("the output path '" + job.output + "' cannot be written on this system");
    }
    const EncodedAudioResult written =
        EncodedAudioWrite(path ? path->c_str() : nullptr, options.format, request, plan, spans);
    std::string cause = FileCause(job, written.file);
    if (!written.encoderError.empty()) {
        cause = std::string(AudioFileFormatTitle(options.format)) + " encoder: " + written.encoderError;
    }
    return ReportSaved(options, job, written.file, cause);
}

// --rise, --rate and --bits imply the exact pitch, even at the window's values.
Keying KeyingAsked(const CliOptions& options) {
    return {options.exactPitch || options.rise || options.rate || options.bits, options.rise.value_or(0.0)};
}

SoundFormat FormatAsked(const CliOptions& options) {
    return {options.rate.value_or(kSamplesPerSecond), options.bits.value_or(kBitsPerSample)};
}

// The sound the options ask for beyond the window's fields.
void AskSound(const CliOptions& options, SynthesisRequest& request) {
    request.format = FormatAsked(options);
    request.keying = KeyingAsked(options);
    request.padMilliseconds = options.pad.value_or(0.0);
    if (!options.noise) return;
    uint64_t seed = 0;
    if (options.seed) {
        seed = *options.seed;
    } else {
        std::random_device fresh;
        seed = uint64_t{fresh()} << 32 | fresh();
    }
    request.noise = PracticeNoise{*options.noise, seed};
}

int Refused(const CliOptions& options, const Job& job, SynthesisOutcome why) {
    if (!options.quiet) SayOutcome(job, kSorryCaption, RefusalText(why).utf8);
    return ExitFor(why);
}

// Makes the audio and saves it in the chosen format, then its labels.
int MakeAndSave(const CliOptions& options, const Job& job, const SynthesisRequest& request,
                const TypedMessage& message) {
    if (options.format == AudioFileFormat::Wav) {
        const Synthesis audio = Synthesize(request);
        if (audio.outcome != SynthesisOutcome::Written) return Refused(options, job, audio.outcome);
        const int exitCode = SaveWav(options, job, audio);
        if (exitCode != kExitWritten || !job.labels) return exitCode;
        return WriteLabels(job, message, audio.spans, audio.plan.format.rate);
    }
    const SynthesisPlan plan = SynthesisPlanMake(request);
    if (plan.refusal) return Refused(options, job, *plan.refusal);
    std::vector<CharacterSpan> spans;
    const int exitCode = SaveEncoded(options, job, request, plan, request.wantSpans ? &spans : nullptr);
    if (exitCode != kExitWritten || !job.labels) return exitCode;
    return WriteLabels(job, message, spans, plan.format.rate);
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
    AskSound(options, request);
    if (options.dryRun) {
        const SynthesisPlan plan = SynthesisPlanMake(request);
        if (plan.refusal && !options.quiet) SayOutcome(job, kSorryCaption, RefusalText(*plan.refusal).utf8);
        return Report(DryRunReport(request, plan), plan.refusal ? ExitFor(*plan.refusal) : kExitWritten);
    }
    return MakeAndSave(options, job, request, message);
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
        Job job{std::move(line), options.dryRun ? "" : named(AudioFileExtension(options.format)), std::nullopt, prefix,
                prefix};
        if (options.labels) job.labels = named(extension);
        const int status = RunJob(options, style, dotText, std::move(job));
        if (Severity(status) > Severity(worst)) worst = status;
    }
    return worst;
}

// The field texts and the rise that will not sound as typed.
void SayWarnings(const CliOptions& options, const RunStyle& style, const std::string& dotText) {
    const Keying keying = KeyingAsked(options);
    const SoundFormat format = SoundFormatNormalized(FormatAsked(options));
    const std::optional<SoundFormat> exactTone = keying.exactPitch ? std::optional(format) : std::nullopt;
    for (const FieldWarning& warning : FieldWarnings(dotText, options.frequency, options.volume, exactTone)) {
        Say("velmora-cli: warning: " + OptionSpelling(warning.field) + " '" + SafeToShow(warning.typed) + "' " +
            warning.said + "\n");
    }
    const TickTiming ticks = style.TicksFor(FieldTextRead(dotText).value, format.rate);
    if (const auto said = RiseWarning(RiseFor(keying.riseMilliseconds, format.rate, ticks.unit), format.rate)) {
        char rise[32];
        (void)std::snprintf(rise, sizeof rise, "%g", keying.riseMilliseconds);
        Say(std::string("velmora-cli: warning: --rise ") + rise + " " + *said + "\n");
    }
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
        const int32_t dot = FieldTextRead(dotText).value;
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
    if (!options.quiet) SayWarnings(options, style, dotText);
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

#include "cli/job.h"

#include <new>
#include <optional>
#include <random>

#include "cli/diagnostics.h"
#include "cli/dry_run.h"
#include "cli/encoded_audio.h"
#include "cli/job_files.h"
#include "frontend/code_page.h"
#include "frontend/label_track.h"
#include "frontend/message_text.h"
#include "frontend/typed_message.h"
#include "morse/field_text.h"
#include "platform/file_output.h"
#include "runtime/program_texts.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

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

// Why the labels may not go to `labels` (the platform's path of --labels), if they may not: the
// input, the audio, or the file standard output is redirected to when that takes the audio.
std::optional<std::string> LabelsConflict(const RunSettings& run, const Job& job, const JobFilePaths& paths,
                                          const std::string& labels) {
    const std::string named = "--labels '" + *job.labels + "' names ";
    if (IsInputFile(run, *job.labels)) return named + "the input file itself";
    if (!paths.wav.empty() && FileTargetsMatch(paths.wav.c_str(), labels.c_str())) {
        return named + "the output file itself";
    }
    // The audio would go to that file first, and the labels then take its name.
    if (job.output == "-" && StandardStreamIsFile(StandardStream::Output, labels.c_str())) {
        return named + "the file standard output goes to";
    }
    return std::nullopt;
}

// Where the files go; false (with the usage error shown) if they cannot go there. Checked before
// anything is written: the audio may not be the input, nor the labels any file of LabelsConflict.
bool ChooseDestination(const RunSettings& run, const Job& job, JobFilePaths& paths, int& exitCode) {
    const auto refuse = [&exitCode](const std::string& problem) {
        exitCode = UsageError(problem);
        return false;
    };
    paths.prefix = job.prefix;
    if (job.output != "-") {  // standard output is not a terminal: Run refused that before reading the message
        const auto path = PlatformPathFromUtf8(job.output);
        if (!path) return refuse("the output path '" + job.output + "' cannot be written on this system");
        if (IsInputFile(run, job.output)) return refuse("the output '" + job.output + "' is the input file itself");
        paths.wav = *path;
        paths.wavShown = job.output;
    }
    if (!job.labels) return true;
    const auto labels = PlatformPathFromUtf8(*job.labels);
    if (!labels) return refuse("the labels path '" + *job.labels + "' cannot be written on this system");
    if (const auto conflict = LabelsConflict(run, job, paths, *labels)) return refuse(*conflict);
    paths.labels = *labels;
    paths.labelsShown = *job.labels;
    paths.labelsFormat = *LabelFormatOf(*job.labels);
    return true;
}

// How the audio file went, as the window's box would say it; a file of another format than WAV
// is named in the window's words with its own name. `encoderError` is the encoder's own reason.
int SayWritten(const RunSettings& run, const Job& job, const JobFilePaths& paths, const FileResult& written,
               const std::string& encoderError) {
    const AudioFileFormat format = run.options.format;
    const std::string target = paths.wav.empty() ? "standard output" : paths.wavShown;
    std::string cause = written.systemError != 0 ? target + ": " + SystemErrorText(written.systemError) : "";
    if (written.partlyWritten) cause += "; it was being rewritten in place and now holds part of the new file";
    if (!encoderError.empty()) cause = std::string(AudioFileFormatTitle(format)) + " encoder: " + encoderError;
    if (written.outcome == FileOutcome::Written) {
        std::string done = kWrittenText.utf8;
        if (format != AudioFileFormat::Wav) done = AudioFileFormatTitle(format) + done.substr(std::string_view("wav").size());
        if (!run.options.quiet) SayOutcome(job, kDoneCaption, done);
        return kExitWritten;
    }
    const ProgramText& text = written.outcome == FileOutcome::OpenFailed ? kOpenFailedText : kWriteFailedText;
    if (!run.options.quiet) SayOutcome(job, kSorryCaption, text.utf8, cause);
    return kExitFileFailed;
}

// The files of the job: the audio staged by `audio`, then the labels of `spans`, which the audio's
// writer fills. A failure of the labels is said after the audio's outcome line, and makes the job
// a failed file.
int SaveFiles(const RunSettings& run, const Job& job, const JobFilePaths& paths, const TypedMessage& message,
              const AudioStaging& audio, const std::vector<CharacterSpan>& spans, int32_t rate,
              const std::string& encoderError = {}) {
    const JobFilesSaved saved = JobFilesSave(
        paths, audio,
        [&](LabelTrackWriter& writer) {
            return CharacterLabelsEach(message, spans, [&writer](const Label& label) { return writer.Add(label); });
        },
        rate);
    const int exitCode = saved.wav ? SayWritten(run, job, paths, *saved.wav, encoderError) : kExitFileFailed;
    if (saved.labelsProblem.empty()) return exitCode;
    Say(saved.labelsProblem);
    return kExitFileFailed;
}

int Refused(const RunSettings& run, const Job& job, SynthesisOutcome why) {
    if (!run.options.quiet) SayOutcome(job, kSorryCaption, RefusalText(why).utf8);
    return ExitFor(why);
}

// A WAV file: the whole image from Velmora's own writer.
int MakeWav(const RunSettings& run, const Job& job, const JobFilePaths& paths, const TypedMessage& message,
            const SynthesisRequest& request) {
    const Synthesis audio = Synthesize(request);
    if (audio.outcome != SynthesisOutcome::Written) return Refused(run, job, audio.outcome);
    const auto wav = [&audio](StagedFile* file) {
        return file != nullptr ? file->PutWhole(audio.Bytes()) : StandardOutputWriteWhole(audio.Bytes());
    };
    return SaveFiles(run, job, paths, message, wav, audio.spans, audio.plan.format.rate);
}

// Any other format: encoded block by block as the samples are made, never held whole. Running out
// of memory on the way is the outcome it is for a WAV file: the staged files go, and a batch
// goes on with its next line.
int MakeEncoded(const RunSettings& run, const Job& job, const JobFilePaths& paths, const TypedMessage& message,
                const SynthesisRequest& request) {
    const SynthesisPlan plan = SynthesisPlanMake(request);
    if (plan.refusal) return Refused(run, job, *plan.refusal);
    std::vector<CharacterSpan> spans;
    std::string encoderError;
    const auto encoded = [&](StagedFile* file) {
        EncodedAudioResult written =
            EncodedAudioWrite(file, run.options.format, request, plan, request.wantSpans ? &spans : nullptr);
        encoderError = std::move(written.encoderError);
        return written.file;
    };
    try {
        return SaveFiles(run, job, paths, message, encoded, spans, plan.format.rate, encoderError);
    } catch (const std::bad_alloc&) {
        spans = {};
        return Refused(run, job, SynthesisOutcome::OutOfMemory);
    }
}

// Without --seed every run's noise is new.
uint64_t NoiseSeed(const CliOptions& options) {
    if (options.seed) return *options.seed;
    std::random_device fresh;
    return uint64_t{fresh()} << 32 | fresh();
}

SynthesisRequest RequestOf(const RunSettings& run, const TypedMessage& message) {
    const CliOptions& options = run.options;
    SynthesisRequest request;
    request.message = message.text.cp932;
    request.dotLength = FieldTextRead(run.dotText).value;
    request.frequency = FieldTextRead(options.frequency).value;
    request.volume = FieldTextRead(options.volume).value;
    request.style = run.style;
    request.codes = options.codes;
    request.format = SoundFormatOf(options);
    request.keying = KeyingOf(options);
    request.padMilliseconds = options.pad.value_or(0.0);
    if (options.noise) request.noise = PracticeNoise{*options.noise, NoiseSeed(options)};
    return request;
}

}  // namespace

bool IsInputFile(const RunSettings& run, const std::string& path) {
    const CliOptions& options = run.options;
    if (!options.input) return false;
    const auto target = PlatformPathFromUtf8(path);
    if (!target) return false;
    if (*options.input == "-") return StandardStreamIsFile(StandardStream::Input, target->c_str());
    // The file read, even where its name has no form in the platform's code page.
    if (run.inputFile) return PathLeadsToOpenedFile(target->c_str(), *run.inputFile);
    const auto input = PlatformPathFromUtf8(*options.input);
    return input && FileTargetsMatch(input->c_str(), target->c_str());
}

int RunJob(const RunSettings& run, Job job) {
    const CliOptions& options = run.options;
    int exitCode = kExitWritten;
    JobFilePaths paths;
    if (!job.output.empty() && !ChooseDestination(run, job, paths, exitCode)) return exitCode;
    const bool labels = job.labels.has_value();
    // From here on the message is held once, as code page 932 (and as typed, for the labels).
    const TypedMessage message =
        TypedMessageFrom(std::move(job.message), {options.encoding, options.foldKana, options.wordGap, labels, options.codes});
    if (!options.quiet) Say(LeftOutReport(message.text.leftOut, kLeftOutLinesShown, job.prefix));

    SynthesisRequest request = RequestOf(run, message);
    request.wantSpans = labels;
    if (options.dryRun) {
        const SynthesisPlan plan = SynthesisPlanMake(request);
        if (plan.refusal && !options.quiet) SayOutcome(job, kSorryCaption, RefusalText(*plan.refusal).utf8);
        return Report(DryRunReport(request, plan), plan.refusal ? ExitFor(*plan.refusal) : kExitWritten);
    }
    JobFilesNoticeBefore(paths);
    if (options.format == AudioFileFormat::Wav) return MakeWav(run, job, paths, message, request);
    return MakeEncoded(run, job, paths, message, request);
}

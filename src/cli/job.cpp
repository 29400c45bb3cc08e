#include "cli/job.h"

#include "cli/diagnostics.h"
#include "cli/dry_run.h"
#include "cli/job_files.h"
#include "frontend/code_page.h"
#include "frontend/label_track.h"
#include "frontend/message_text.h"
#include "frontend/typed_message.h"
#include "morse/parameters.h"
#include "platform/file_output.h"
#include "runtime/program_texts.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

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

// How the WAV file went, as the window's box would say it.
int SayWritten(const RunSettings& run, const Job& job, const JobFilePaths& paths, const FileResult& written) {
    const std::string target = paths.wav.empty() ? "standard output" : paths.wavShown;
    std::string cause = written.systemError != 0 ? target + ": " + SystemErrorText(written.systemError) : "";
    if (written.partlyWritten) cause += "; it was being rewritten in place and now holds part of the new file";
    if (written.outcome == FileOutcome::Written) {
        if (!run.options.quiet) SayOutcome(job, kDoneCaption, kWrittenText);
        return kExitWritten;
    }
    const ProgramText& text = written.outcome == FileOutcome::OpenFailed ? kOpenFailedText : kWriteFailedText;
    if (!run.options.quiet) SayOutcome(job, kSorryCaption, text, cause);
    return kExitFileFailed;
}

// The files of the job; a failure of the labels is said after the WAV file's outcome line, and
// makes the job a failed file.
int SaveFiles(const RunSettings& run, const Job& job, const JobFilePaths& paths, const TypedMessage& message,
              const Synthesis& audio) {
    const JobFilesSaved saved = JobFilesSave(paths, audio.Bytes(), [&](LabelTrackWriter& writer) {
        return CharacterLabelsWrite(message, audio.spans, writer);
    });
    const int exitCode = saved.wav ? SayWritten(run, job, paths, *saved.wav) : kExitFileFailed;
    if (saved.labelsProblem.empty()) return exitCode;
    Say(saved.labelsProblem);
    return kExitFileFailed;
}

SynthesisRequest RequestOf(const RunSettings& run, const TypedMessage& message) {
    SynthesisRequest request;
    request.message = message.text.cp932;
    request.dotLength = FieldTextRead(run.dotText).value;
    request.frequency = FieldTextRead(run.options.frequency).value;
    request.volume = FieldTextRead(run.options.volume).value;
    request.style = run.style;
    return request;
}

}  // namespace

int RunJob(const RunSettings& run, Job job) {
    const CliOptions& options = run.options;
    int exitCode = kExitWritten;
    JobFilePaths paths;
    if (!job.output.empty() && !ChooseDestination(job, paths, exitCode)) return exitCode;
    const bool labels = job.labels.has_value();
    // From here on the message is held once, as code page 932 (and as typed, for the labels).
    const TypedMessage message =
        TypedMessageFrom(std::move(job.message), {options.encoding, options.foldKana, options.wordGap, labels});
    if (!options.quiet) Say(LeftOutReport(message.text.leftOut, kLeftOutLinesShown, job.prefix));

    SynthesisRequest request = RequestOf(run, message);
    request.wantSpans = labels;
    if (options.dryRun) {
        const SynthesisPlan plan = SynthesisPlanMake(request);
        if (plan.refusal && !options.quiet) SayOutcome(job, kSorryCaption, RefusalText(*plan.refusal));
        return Report(DryRunReport(request, plan), plan.refusal ? ExitFor(*plan.refusal) : kExitWritten);
    }
    JobFilesNoticeBefore(paths);
    const Synthesis audio = Synthesize(request);
    if (audio.outcome != SynthesisOutcome::Written) {
        if (!options.quiet) SayOutcome(job, kSorryCaption, RefusalText(audio.outcome));
        return ExitFor(audio.outcome);
    }
    return SaveFiles(run, job, paths, message, audio);
}

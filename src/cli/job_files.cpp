#include "cli/job_files.h"

#include <vector>

#include "cli/interrupts.h"
#include "frontend/message_text.h"
#include "platform/file_output.h"
#include "platform/interrupt_hold.h"

namespace {

std::string Listed(const std::vector<std::string>& names) {
    std::string listed;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k > 0) listed += k + 1 == names.size() ? " and " : ", ";
        listed += SafeToShow(names[k]);
    }
    return listed;
}

// "interrupted; a.wav is new, a.txt is as it was": the files written in full and those that are
// not. Nothing to say when the run writes no file (only to standard output).
void Notice(const JobFilePaths& paths, const std::vector<std::string>& fresh, const std::vector<std::string>& old) {
    if (fresh.empty() && old.empty()) {
        InterruptNoticeSet({});
        return;
    }
    std::string notice = paths.prefix + "interrupted";
    if (!fresh.empty()) notice += "; " + Listed(fresh) + (fresh.size() == 1 ? " is new" : " are new");
    if (!old.empty()) {
        notice += (fresh.empty() ? "; " : ", ") + Listed(old) + (old.size() == 1 ? " is as it was" : " are as they were");
    }
    InterruptNoticeSet(notice + "\n");
}

std::vector<std::string> Files(const JobFilePaths& paths) {
    std::vector<std::string> files;
    if (!paths.wav.empty()) files.push_back(paths.wavShown);
    if (!paths.labels.empty()) files.push_back(paths.labelsShown);
    return files;
}

std::string LabelsProblem(const JobFilePaths& paths, const FileResult& failed, const std::string& after) {
    return paths.prefix + "cannot write the labels to " + SafeToShow(paths.labelsShown) + ": " +
           SystemErrorText(failed.systemError) + "; " + after + "\n";
}

// The track goes to its temporary file piece by piece.
FileResult StageLabels(const JobFilePaths& paths, const LabelRows& rows, int32_t rate, StagedFile& labels) {
    FileResult result = labels.Begin(paths.labels.c_str());
    if (result.outcome != FileOutcome::Written) return result;
    LabelTrackWriter writer(
        paths.labelsFormat,
        [&](std::string_view piece) {
            result = labels.Append({reinterpret_cast<const uint8_t*>(piece.data()), piece.size()});
            return result.outcome == FileOutcome::Written;
        },
        rate);
    if (!rows(writer) || !writer.Finish()) return result;
    return labels.Finish();
}

// Both files staged: the audio file first, then the labels, committed while interrupts are held.
JobFilesSaved Commit(const JobFilePaths& paths, StagedFile* wav, StagedFile* labels) {
    JobFilesSaved saved;
    const InterruptsHeld held;
    if (wav != nullptr) {
        saved.wav = wav->Commit();
        if (saved.wav->outcome != FileOutcome::Written) return saved;
        Notice(paths, {paths.wavShown}, labels != nullptr ? std::vector{paths.labelsShown} : std::vector<std::string>{});
    }
    if (labels == nullptr) return saved;
    const FileResult committed = labels->Commit();
    if (committed.outcome != FileOutcome::Written) {
        const std::string what = committed.partlyWritten ? " now holds part of the new labels"
                                                          : " is as it was";
        const std::string wavNews = wav != nullptr ? SafeToShow(paths.wavShown) + " is new, " : std::string();
        saved.labelsProblem = LabelsProblem(paths, committed, wavNews + SafeToShow(paths.labelsShown) + what);
        return saved;
    }
    Notice(paths, Files(paths), {});
    return saved;
}

}  // namespace

void JobFilesNoticeBefore(const JobFilePaths& paths) { Notice(paths, {}, Files(paths)); }

JobFilesSaved JobFilesSave(const JobFilePaths& paths, const AudioStaging& audio, const LabelRows& rows,
                           int32_t rate) {
    JobFilesSaved saved;
    StagedFile file;
    StagedFile* const audioStaged = paths.wav.empty() ? nullptr : &file;
    if (audioStaged != nullptr) {
        if (const FileResult begun = file.Begin(paths.wav.c_str()); begun.outcome != FileOutcome::Written) {
            saved.wav = begun;
            return saved;
        }
    }
    // Standard output takes the audio now; a file waits for its labels.
    saved.wav = audio(audioStaged);
    if (saved.wav->outcome != FileOutcome::Written) return saved;
    StagedFile labels;
    if (!paths.labels.empty()) {
        const FileResult staged = StageLabels(paths, rows, rate, labels);
        if (staged.outcome != FileOutcome::Written) {
            const bool audioOut = audioStaged == nullptr;
            saved.labelsProblem = LabelsProblem(paths, staged, audioOut ? "standard output has the audio" : "nothing was written");
            if (!audioOut) saved.wav.reset();
            return saved;
        }
    }
    JobFilesSaved committed = Commit(paths, audioStaged, paths.labels.empty() ? nullptr : &labels);
    if (audioStaged == nullptr) committed.wav = saved.wav;
    return committed;
}

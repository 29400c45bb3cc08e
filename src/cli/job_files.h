// The files one run writes: the audio file (or standard output) and, with --labels, its label
// track. Both are staged before either changes, the audio first (its writer finds where each
// character lies), then committed, the audio first, while interrupts are held; the interrupt
// notice always says which of them are new.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "frontend/label_track.h"
#include "platform/file_output.h"

// Where the files go: in the platform's code page for the file calls, and as the user named them
// (UTF-8) for messages.
struct JobFilePaths {
    std::string wav;  // empty: standard output
    std::string wavShown;
    std::string labels;  // empty: no label track
    std::string labelsShown;
    LabelFormat labelsFormat = LabelFormat::Audacity;
    std::string prefix;  // of every line said: "velmora-cli: ", or "velmora-cli: line 3: " in a batch
};

// Writes the rows of the label track; false when the writer stopped.
using LabelRows = std::function<bool(LabelTrackWriter&)>;
// Writes the audio into the staged file, begun on its target (the writer finishes it), or to
// standard output for nullptr.
using AudioStaging = std::function<FileResult(StagedFile* file)>;

struct JobFilesSaved {
    std::optional<FileResult> wav;  // how the audio file went; none when the labels failed
    std::string labelsProblem;  // a failure of the labels, as a line to show; empty when none
};

// Nothing of the run is written yet: what an interrupt is to say from now on.
void JobFilesNoticeBefore(const JobFilePaths& paths);
JobFilesSaved JobFilesSave(const JobFilePaths& paths, const AudioStaging& audio, const LabelRows& rows,
                           int32_t rate);

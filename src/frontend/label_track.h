// Label tracks: where each sounded character lies in the audio, as a file that an audio editor,
// a video player or a spreadsheet reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class LabelFormat {
    Audacity,  // .txt: start TAB end TAB text, in seconds
    SubRip,    // .srt
    WebVtt,    // .vtt
    Csv,       // .csv, with a header row
};

// The format for a path, by its extension (in any case); none for another extension.
std::optional<LabelFormat> LabelFormatOf(const std::string& path);

struct Label {
    int64_t startSample = 0;  // the first sample of the character's first element
    int64_t endSample = 0;    // just past the last sample of its last element
    std::string text;         // the character as the user gave it, UTF-8
    std::string elements;     // ".-"
};

// The whole file, for audio of `rate` samples per second (the window's 8000 unless another is
// asked for).
std::string LabelTrack(const std::vector<Label>& labels, LabelFormat format, int32_t rate = 8000);

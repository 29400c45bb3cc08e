// Label tracks: where each sounded character lies in the audio, as a file that an audio editor,
// a video player or a spreadsheet reads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "wav/sample_format.h"

enum class LabelFormat {
    Audacity,  // .txt: start TAB end TAB text, in seconds
    SubRip,    // .srt
    WebVtt,    // .vtt
    Csv,       // .csv, with a header row
};

// The format for a path, by its extension (in any case); none for another extension.
std::optional<LabelFormat> LabelFormatOf(const std::string& path);

struct Label {
    int64_t startSample = 0;    // the first sample of the character's first element
    int64_t endSample = 0;      // just past the last sample of its last element
    std::string_view text;      // the character as the user gave it, UTF-8
    std::string_view elements;  // ".-"
};

// Writes a track for audio of `rate` samples per second (the window's unless another is asked
// for) row by row, and hands it on in pieces of about 64 KiB: a long message's track is never
// held whole.
class LabelTrackWriter {
  public:
    // Takes a piece of the file; false when it could not, which stops the writer.
    using Sink = std::function<bool(std::string_view piece)>;

    LabelTrackWriter(LabelFormat format, Sink sink, int32_t rate = kSamplesPerSecond);
    bool Add(const Label& label);
    // Hands on what is left; false if any piece could not be taken.
    bool Finish();

  private:
    bool HandOn(std::size_t atLeast);

    LabelFormat format_;
    Sink sink_;
    int32_t rate_;
    std::string buffer_;
    std::size_t number_ = 0;
    bool failed_ = false;
};

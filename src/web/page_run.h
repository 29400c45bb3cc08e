// One press of the web page's 作成!!: the page's field texts in, the audio and all the page shows
// or offers out. The same steps as velmora-cli takes for the same texts and options, so the
// bytes are the same; without learner options they are the window's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/field_warnings.h"
#include "frontend/learner_speed.h"
#include "frontend/message_text.h"
#include "morse/synthesis.h"

struct PageFields {
    std::string message;  // UTF-8
    std::string dot;      // the number fields' texts as typed
    std::string frequency;
    std::string volume;
    std::string wpm;         // empty: the dot length field sets the speed
    std::string farnsworth;  // empty: no Farnsworth timing; else word gaps too, as it counts words
    bool wordGaps = false;
    bool foldKana = false;
    std::string rise;         // milliseconds of each edge of an element; empty: keyed hard
    bool exactPitch = false;  // the exact tone at the typed frequency; a rise implies it
    bool punctuation = false;  // the ITU marks and the prosigns in angle brackets sound
};

// How a run ends: one of the synthesis's outcomes, or a speed or rise field that cannot be used.
enum class PageOutcome { Written, NothingToSound, TooLong, OutOfMemory, SpeedRefused, RiseRefused };

// Which speed field cannot be used, and why.
struct SpeedProblem {
    enum class Field { Wpm, Farnsworth } field = Field::Wpm;
    enum class Why { NotASpeed, DotBelowOneMillisecond, DotBeyondField, NoDot, NotBelowCharacterSpeed, WordGapBeyondFile };
    Why why = Why::NotASpeed;
    double characterWpm = 0.0;  // for NotBelowCharacterSpeed
};

struct PageRun {
    PageOutcome outcome = PageOutcome::OutOfMemory;
    std::optional<SpeedProblem> speedProblem;
    std::string refusedText;  // the text of the speed or rise field refused, as typed
    std::vector<FieldWarning> warnings;
    std::optional<std::string> riseWarning;  // what becomes of a rise longer than half a dot
    std::vector<LeftOutCharacter> leftOut;
    std::optional<Synthesis> audio;  // the WAV image when Written; its plan when refused
    std::string subRip;              // the label tracks, when Written
    std::string webVtt;
    std::vector<int32_t> spans;  // the first and the past-the-end sample of each sounded character
    std::string marks;           // each sounded character as typed, a tab, its elements, a line break
};

// Never throws: a heap that refuses, on the way or for the image, is the outcome OutOfMemory, and
// everything taken on the way is released again.
PageRun PageRunMake(const PageFields& fields);

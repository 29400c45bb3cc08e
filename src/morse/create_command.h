// The Create command: the whole job of one click, from the four fields of the form to a saved
// WAV file and the message that reports it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "morse/form.h"
#include "morse/measure.h"
#include "morse/render.h"
#include "morse/timing.h"
#include "runtime/text.h"

enum class CreateOutcome {
    Written,         // file written; "完了" shown
    Cancelled,       // the save dialog gave no name; nothing shown
    OpenFailed,      // the file could not be created or replaced; it is unchanged
    WriteFailed,     // writing failed; the old file is unchanged, unless it was being rewritten in
                     // place (other hard links, say): then it holds part of the new file
    NothingToSound,  // refused before any dialog: no character of the message has a code
    TooLong,         // refused before any dialog: the audio does not fit an image
    OutOfMemory,     // the image fits a WAV file, but the heap cannot give its block
};

// How a run is timed beyond the dot length of the form. The window's runs take the default:
// no word gaps, characters 3 units apart.
struct RunStyle {
    WordBreaks words = WordBreaks::Dropped;
    double overallWpm = 0.0;  // above 0: Farnsworth timing, the gaps stretched to this speed

    bool IsWindowTiming() const { return words == WordBreaks::Dropped && overallWpm <= 0.0; }
    Timing TimingFor(int32_t dotLength) const;
};

// What the command reads before it builds anything: the cleaned message and the parameters.
struct CreateInputs {
    TextVar message;    // the cleaned message
    TextVar fieldText;  // the last numeric field read
    Measurement measurement;  // its Units() are the unit count
    int32_t dotLength = 0;
    int32_t toneFrequency = 0;
    int32_t volume = 0;
    Timing timing;
    // The window's unit count x dot length x 8 in 32 bits, fixed as soon as the dot length is
    // read; for another style, the exact length when it fits a WAV file.
    int32_t sampleCount = 0;
    int64_t exactSamples = 0;  // the length in 64 bits, which never wraps
};

void CreateReadInputs(Form& form, CreateInputs& inputs, const RunStyle& style = {});
// Why a run with these inputs cannot make an image; none when it can. Deciding only: showing the
// refusal is the caller's step.
std::optional<CreateOutcome> CreateRefusal(const CreateInputs& inputs);
// Shows a refusal (or an image the heap could not give) as the window does.
CreateOutcome CreateShowRefusal(Form& form, CreateOutcome why);

// Runs the command; every text value and the image it makes are released before it returns.
// `spans`, if given, receives where each sounded character lies in the samples written.
CreateOutcome CreateCommand(Form& form, const RunStyle& style = {}, std::vector<CharacterSpan>* spans = nullptr);

// The Create command: the whole job of one click, from the four fields of the form to a saved
// WAV file and the message that reports it.
#pragma once

#include <cstdint>
#include <optional>

#include "morse/form.h"
#include "runtime/text.h"

enum class CreateOutcome {
    Written,         // file written; "完了" shown
    Cancelled,       // the save dialog gave no name; nothing shown
    OpenFailed,      // the file could not be created or replaced; it is unchanged
    WriteFailed,     // writing failed; the old file is unchanged
    NothingToSound,  // refused before any dialog: no character of the message has a code
    TooLong,         // refused before any dialog: the audio does not fit an image
    OutOfMemory,     // the image fits a WAV file, but the heap cannot give its block
};

// What the command reads before it builds anything: the cleaned message and the parameters.
struct CreateInputs {
    TextVar message;    // the cleaned message
    TextVar fieldText;  // the last numeric field read
    int64_t unitCount = 0;
    int32_t dotLength = 0;
    int32_t toneFrequency = 0;
    int32_t volume = 0;
    int32_t sampleCount = 0;  // unit count x dot length x 8, fixed as soon as the dot length is read
};

void CreateReadInputs(Form& form, CreateInputs& inputs);
// Why a run with these inputs cannot make an image, shown to the user; none when it can.
std::optional<CreateOutcome> CreateRefusal(Form& form, const CreateInputs& inputs);

// Runs the command; every text value and the image it makes are released before it returns.
CreateOutcome CreateCommand(Form& form);

#include "morse/create_command.h"

#include "morse/measure.h"
#include "morse/parameters.h"
#include "morse/render.h"
#include "runtime/program_texts.h"
#include "wav/audio_image.h"
#include "wav/audio_output.h"

namespace {

const char* RefusalText(CreateOutcome why) {
    switch (why) {
        case CreateOutcome::NothingToSound: return kNothingToSoundText.cp932;
        case CreateOutcome::OutOfMemory: return kOutOfMemoryText.cp932;
        default: return kTooLongText.cp932;
    }
}

CreateOutcome Refuse(Form& form, CreateOutcome why) {
    form.ShowMessage(RefusalText(why), kSorryCaption.cp932, MessageIcon::Exclamation, {});
    return why;
}

CreateOutcome FromSave(SaveOutcome saved) {
    switch (saved) {
        case SaveOutcome::Cancelled: return CreateOutcome::Cancelled;
        case SaveOutcome::Written: return CreateOutcome::Written;
        case SaveOutcome::OpenFailed: return CreateOutcome::OpenFailed;
        case SaveOutcome::WriteFailed: break;
    }
    return CreateOutcome::WriteFailed;
}

}  // namespace

// The fields are read in the program's order: the message, then the dot length (which fixes the
// sample count at once), the frequency and the volume.
void CreateReadInputs(Form& form, CreateInputs& inputs) {
    ReadField(form, kMessageFieldId, inputs.message);
    inputs.unitCount = MeasureAndClean(inputs.message);
    inputs.dotLength = ReadFieldNumber(form, kDotFieldId, inputs.fieldText);
    inputs.sampleCount = SampleCount(static_cast<int32_t>(inputs.unitCount), inputs.dotLength);
    inputs.toneFrequency = ReadFieldNumber(form, kFrequencyFieldId, inputs.fieldText);
    inputs.volume = ReadFieldNumber(form, kVolumeFieldId, inputs.fieldText);
}

// A message with nothing to sound has no length, and a product that wrapped in 32 bits or went
// negative sizes no image: both are refused before the save dialog, so that no empty or broken
// file is offered. A dot length of 0 makes the header-only file it always has.
std::optional<CreateOutcome> CreateRefusal(Form& form, const CreateInputs& inputs) {
    if (inputs.dotLength == 0) return std::nullopt;
    if (inputs.unitCount < 0) return Refuse(form, CreateOutcome::NothingToSound);
    const std::optional<int32_t> exact = ExactSampleCount(inputs.unitCount, inputs.dotLength);
    if (!exact || *exact != inputs.sampleCount) return Refuse(form, CreateOutcome::TooLong);
    return std::nullopt;
}

CreateOutcome CreateCommand(Form& form) {
    CreateInputs inputs;
    CreateReadInputs(form, inputs);
    if (const auto refused = CreateRefusal(form, inputs)) return *refused;

    AudioImage image = AudioImageNew(inputs.sampleCount);
    // The size fits a WAV file, so a missing block means the heap could not give it.
    if (image.block == nullptr) return Refuse(form, CreateOutcome::OutOfMemory);
    Render(inputs.message.Get(), AudioImageSamples(image), inputs.dotLength, inputs.toneFrequency, inputs.volume);
    return FromSave(AudioImageSave(image, form));
}

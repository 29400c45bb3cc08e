#include "morse/create_command.h"

#include <climits>

#include "morse/parameters.h"
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

Timing RunStyle::TimingFor(int32_t dotLength) const {
    if (overallWpm > 0.0) return FarnsworthTiming(dotLength, overallWpm);
    return words == WordBreaks::Kept ? WordGapTiming(dotLength) : DefaultTiming(dotLength);
}

// The fields are read in the program's order: the message, then the dot length (which fixes the
// sample count at once), the frequency and the volume.
void CreateReadInputs(Form& form, CreateInputs& inputs, const RunStyle& style) {
    ReadField(form, kMessageFieldId, inputs.message);
    inputs.measurement = MeasureMessage(inputs.message, style.words);
    inputs.dotLength = ReadFieldNumber(form, kDotFieldId, inputs.fieldText);
    inputs.timing = style.TimingFor(inputs.dotLength);
    inputs.exactSamples = inputs.measurement.Samples(inputs.timing);
    if (style.IsWindowTiming()) {
        // The window's product in 32 bits; CreateRefusal finds one that wrapped.
        inputs.sampleCount = SampleCount(static_cast<int32_t>(inputs.measurement.Units()), inputs.dotLength);
    } else {
        const bool fits = inputs.exactSamples >= 0 && inputs.exactSamples <= INT32_MAX;
        inputs.sampleCount = fits ? static_cast<int32_t>(inputs.exactSamples) : -1;
    }
    inputs.toneFrequency = ReadFieldNumber(form, kFrequencyFieldId, inputs.fieldText);
    inputs.volume = ReadFieldNumber(form, kVolumeFieldId, inputs.fieldText);
}

// A message with nothing to sound has no length, and a length that wrapped in 32 bits or went
// negative sizes no image: both are refused before the save dialog, so that no empty or broken
// file is offered. A dot length of 0 makes the header-only file it always has.
std::optional<CreateOutcome> CreateRefusal(const CreateInputs& inputs) {
    if (inputs.dotLength == 0) return std::nullopt;
    if (inputs.measurement.characters == 0) return CreateOutcome::NothingToSound;
    if (inputs.dotLength < 0 || inputs.exactSamples != inputs.sampleCount) return CreateOutcome::TooLong;
    return std::nullopt;
}

CreateOutcome CreateShowRefusal(Form& form, CreateOutcome why) {
    form.ShowMessage(RefusalText(why), kSorryCaption.cp932, MessageIcon::Exclamation, {});
    return why;
}

CreateOutcome CreateCommand(Form& form, const RunStyle& style, std::vector<CharacterSpan>* spans) {
    CreateInputs inputs;
    CreateReadInputs(form, inputs, style);
    if (const auto refused = CreateRefusal(inputs)) return CreateShowRefusal(form, *refused);

    const Tone tone = ToneMake(inputs.toneFrequency, inputs.volume);
    AudioImage image = AudioImageAllocate(inputs.sampleCount);
    // The size fits a WAV file, so a missing block means the heap could not give it.
    if (image.block == nullptr) return CreateShowRefusal(form, CreateOutcome::OutOfMemory);
    const AudioImageGuard release(image);  // also when recording the spans runs out of memory
    if (spans != nullptr) spans->reserve(static_cast<std::size_t>(inputs.measurement.characters));
    RenderMessage(inputs.message.Get(), AudioImageSamples(image), inputs.timing, tone, spans);
    return FromSave(AudioImageSave(image, form));
}

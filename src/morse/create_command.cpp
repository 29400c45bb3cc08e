#include "morse/create_command.h"

#include <string>

#include "morse/field_text.h"
#include "morse/synthesis.h"
#include "runtime/program_texts.h"

namespace {

CreateOutcome ShowRefusal(Form& form, SynthesisOutcome why) {
    switch (why) {
        case SynthesisOutcome::NothingToSound:
            form.ShowMessage(kNothingToSoundText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, {});
            return CreateOutcome::NothingToSound;
        case SynthesisOutcome::OutOfMemory:
            form.ShowMessage(kOutOfMemoryText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, {});
            return CreateOutcome::OutOfMemory;
        case SynthesisOutcome::TooLong:
        case SynthesisOutcome::Written: break;
    }
    form.ShowMessage(kTooLongText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, {});
    return CreateOutcome::TooLong;
}

// The form's save dialog and file, then the box that says how it went. A failed or short write
// is reported, never shown as success. The old file is kept, except by a rewrite in place that
// failed part-way, which the cause says. The cause names the target and the system's reason,
// for a form that can show it.
CreateOutcome SaveAndReport(Form& form, const Synthesis& audio) {
    const SaveReport saved = form.Save(audio.Bytes());
    std::string cause =
        saved.systemError != 0 ? saved.target + ": " + SystemErrorText(saved.systemError) : std::string();
    if (saved.partlyWritten) cause += "; it was being rewritten in place and now holds part of the new file";
    switch (saved.outcome) {
        case SaveOutcome::Cancelled: return CreateOutcome::Cancelled;
        case SaveOutcome::Written:
            form.ShowMessage(kWrittenText.cp932, kDoneCaption.cp932, MessageIcon::Information, {});
            return CreateOutcome::Written;
        case SaveOutcome::OpenFailed:
            form.ShowMessage(kOpenFailedText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, cause);
            return CreateOutcome::OpenFailed;
        case SaveOutcome::WriteFailed: break;
    }
    form.ShowMessage(kWriteFailedText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, cause);
    return CreateOutcome::WriteFailed;
}

}  // namespace

CreateOutcome CreateCommand(Form& form) {
    TextVar message;
    TextVar fieldText;
    ReadField(form, kMessageFieldId, message);
    SynthesisRequest request;
    request.message = TextView(message.Get());
    request.dotLength = ReadFieldNumber(form, kDotFieldId, fieldText);
    request.frequency = ReadFieldNumber(form, kFrequencyFieldId, fieldText);
    request.volume = ReadFieldNumber(form, kVolumeFieldId, fieldText);
    const Synthesis audio = Synthesize(request);
    if (audio.outcome != SynthesisOutcome::Written) return ShowRefusal(form, audio.outcome);
    return SaveAndReport(form, audio);
}

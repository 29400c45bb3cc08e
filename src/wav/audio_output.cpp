#include "wav/audio_output.h"

#include <string>

#include "platform/file_output.h"
#include "runtime/program_texts.h"


// A failed or short write is reported, never shown as success. The old file is kept, except by a
// rewrite in place that failed part-way, which the cause says. The cause names the target and the
// system's reason, for a front end that can show it.
SaveOutcome AudioImageSave(AudioImage& image, Form& form) {
    const AudioImageGuard release(image);
    const SaveReport saved = form.Save(AudioImageBytes(image));
    std::string cause =
        saved.systemError != 0 ? saved.target + ": " + SystemErrorText(saved.systemError) : std::string();
    if (saved.partlyWritten) cause += "; it was being rewritten in place and now holds part of the new file";
    switch (saved.outcome) {
        case SaveOutcome::Cancelled: break;
        case SaveOutcome::Written: form.ShowMessage(kWrittenText.cp932, kDoneCaption.cp932, MessageIcon::Information, {}); break;
        case SaveOutcome::OpenFailed:
            form.ShowMessage(kOpenFailedText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, cause);
            break;
        case SaveOutcome::WriteFailed:
            form.ShowMessage(kWriteFailedText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, cause);
            break;
    }
    return saved.outcome;
}

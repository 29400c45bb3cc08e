// What the Create command needs of the window around it: the fields of the form, the save
// dialog and the message boxes. The program's window is one implementation; the tests use a
// stand-in with the same inputs and the same outcomes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_output.h"

// Control ids of the form, in the order the controls are created.
enum ControlId : int {
    kMessageLabelId = 1000,
    kMessageFieldId = 1001,
    kDotLabelId = 1002,
    kDotFieldId = 1003,
    kFrequencyLabelId = 1004,
    kFrequencyFieldId = 1005,
    kVolumeLabelId = 1006,
    kVolumeFieldId = 1007,
    kCreateButtonId = 1008,
};

enum class MessageIcon { Information, Exclamation };

// How the save ended: cancelled, or written, or the step that failed with the system's reason.
enum class SaveOutcome { Cancelled, Written, OpenFailed, WriteFailed };

struct SaveReport {
    SaveOutcome outcome = SaveOutcome::Cancelled;
    int systemError = 0;  // errno or GetLastError() of the failing step
    std::string target;   // where the bytes were to go, as the form names it (the window: its code page)
    bool partlyWritten = false;  // a rewrite in place failed part-way: see FileResult
};

// The report of a save that reached the file calls.
inline SaveReport SaveReportOf(const FileResult& written, std::string target) {
    SaveReport report{SaveOutcome::Written, written.systemError, std::move(target), written.partlyWritten};
    if (written.outcome == FileOutcome::OpenFailed) report.outcome = SaveOutcome::OpenFailed;
    if (written.outcome == FileOutcome::WriteFailed) report.outcome = SaveOutcome::WriteFailed;
    return report;
}

class Form {
  public:
    virtual ~Form() = default;
    // Length in bytes of the field's text; the text follows through FieldText.
    virtual int32_t FieldLength(int controlId) = 0;
    // Copies the field's text into `buffer`, cut to fit and always zero-terminated.
    virtual void FieldText(int controlId, std::span<char> buffer) = 0;
    // Asks where the finished file goes (the save dialog, opening with an empty name) and
    // writes `file` there in one piece. The front end decides where bytes can go.
    virtual SaveReport Save(std::span<const uint8_t> file) = 0;
    // A modal message with an OK button. `cause` says why in the system's words (UTF-8, empty
    // when there is nothing to add); a front end may leave it out.
    virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view cause) = 0;
};

// What the Create command needs of the window around it: the fields of the form, the save
// dialog and the message boxes. The program's window is one implementation; the command-line
// program and the tests use a stand-in with the same inputs and the same three outcomes.
#pragma once

#include <cstdint>
#include <span>

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

// The caption of every message that tells of a run ending without a file: "残念".
inline constexpr char kSorryCaption[] = "\x8E" "c\x94O";

// Where the save dialog says the file goes.
enum class SaveTarget { Cancelled, File, StandardOutput };

// The save dialog's file-name buffer: the chosen path in code page 932, zero-terminated.
inline constexpr std::size_t kSavePathSize = 260;

class Form {
  public:
    virtual ~Form() = default;
    // Length in bytes of the field's text; the text follows through FieldText.
    virtual int32_t FieldLength(int controlId) = 0;
    // Copies the field's text into `buffer`, cut to fit and always zero-terminated.
    virtual void FieldText(int controlId, std::span<char> buffer) = 0;
    // Shows the save dialog with an empty name; for SaveTarget::File the path is in `path`.
    virtual SaveTarget AskSavePath(std::span<char, kSavePathSize> path) = 0;
    // A modal message with an OK button.
    virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon) = 0;
};

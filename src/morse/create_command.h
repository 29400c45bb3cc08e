// The Create command: the whole job of one click in the window, from the four fields of the form
// to a saved WAV file and the message that reports it.
#pragma once

#include "morse/form.h"

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

// Reads the fields in the window's order (the message, the dot length, the frequency, the
// volume), makes the audio, asks where it goes, writes it and shows how that went. Every text
// value and the image it makes are released before it returns.
CreateOutcome CreateCommand(Form& form);

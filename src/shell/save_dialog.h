// The system's save dialog for the WAV file: "wavファイル出力", one filter, an empty name at
// every run, a prompt before overwriting.
#pragma once

#include <windows.h>

#include <string>

struct SaveDialogChoice {
    enum Outcome { Cancelled, Chosen, Failed } outcome = Cancelled;
    std::string path;     // in the ANSI code page; for Chosen, and for a name too long for a path
    int systemError = 0;  // for Failed: the dialog's error, or ERROR_FILENAME_EXCED_RANGE
};

// Shows the dialog, owned by `owner`, and says what the user chose. A name longer than a path
// may be (MAX_PATH) is a failure, never a crash.
SaveDialogChoice AskSavePath(HWND owner);

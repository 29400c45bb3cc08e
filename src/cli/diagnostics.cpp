#include "cli/diagnostics.h"

#include "cli/console.h"
#include "frontend/message_text.h"
#include "platform/file_output.h"

void Say(const std::string& lines) { ConsoleWrite(true, lines); }

int UsageError(const std::string& problem) {
    Say("velmora-cli: " + SafeToShow(problem) + "\nTry 'velmora-cli --help' for more information.\n");
    return kExitUsage;
}

int Report(const std::string& text, int exitCode) {
    int error = 0;
    if (ConsoleWrite(false, text, &error)) return exitCode;
    Say("velmora-cli: cannot write to standard output: " + SystemErrorText(error) + "\n");
    return kExitFileFailed;
}

#include <windows.h>

#include "cli/console.h"
#include "cli/interrupts.h"
#include "platform/file_output.h"
#include "platform/interrupt_hold.h"

namespace {

// Runs on a thread of its own. It first waits until the main thread holds no interrupts (a file
// being committed), and keeps them held: the process ends here, between two such steps.
BOOL WINAPI EndOnConsoleEvent(DWORD event) {
    InterruptsHoldBegin();
    int signal = 15;  // SIGTERM: the user logs off or the system shuts down
    if (event == CTRL_C_EVENT) signal = 2;        // SIGINT
    if (event == CTRL_BREAK_EVENT) signal = 21;   // SIGBREAK
    if (event == CTRL_CLOSE_EVENT) signal = 1;    // as SIGHUP: the console went away
    FileWriteAbandon();
    ConsoleWrite(true, InterruptNotice());
    ExitProcess(static_cast<UINT>(128 + signal));
}

}  // namespace

void EndOnInterrupts() { SetConsoleCtrlHandler(EndOnConsoleEvent, TRUE); }

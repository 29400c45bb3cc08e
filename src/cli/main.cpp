#include "cli/console.h"
#include "cli/interrupts.h"
#include "cli/velmora_cli.h"
#include "platform/interrupt_hold.h"

// An interrupt ends the program with 128 + its number from its first statement on: the system's
// own handling, which Wine's ends a console program with by the status 0, would report success.
// The exit status is final once interrupts are held: one that comes after this is not acted on,
// and one already being acted on (on Windows, on a thread of its own) ends the program first,
// with the status and the notice that belong together.
int main(int argc, char** argv) {
    EndOnInterrupts();
    const int status = CliMain(CommandLineArguments(argc, argv));
    InterruptsHoldBegin();
    return status;
}

#include "cli/console.h"
#include "cli/velmora_cli.h"
#include "platform/interrupt_hold.h"

// The exit status is final once interrupts are held: one that comes after this is not acted on,
// and one already being acted on (on Windows, on a thread of its own) ends the program first,
// with the status and the notice that belong together.
int main(int argc, char** argv) {
    const int status = CliMain(CommandLineArguments(argc, argv));
    InterruptsHoldBegin();
    return status;
}

#include "cli/console.h"
#include "cli/velmora_cli.h"
#include "platform/interrupt_hold.h"

// The exit status is final once interrupts are held: one that comes now no longer ends the
// program with another, and one already acted on (on Windows, on a thread of its own) ends it
// first, with the status and the notice that belong together.
int main(int argc, char** argv) {
    const int status = CliMain(CommandLineArguments(argc, argv));
    InterruptsHoldBegin();
    return status;
}
